#!/usr/bin/env node
'use strict';
// The base remote (node 72) and the wireless remote (node 73) as CANopen devices of the
// independent canopen package. Frames come and go as lines on stdin/stdout (the slcan adapter
// script relays them); control commands come on stdin too and their answers go to stdout.
//
//   stdin:  "f <id hex> <data hex>"   a frame from the bus
//           "c <command ...>"         a control command (see run())
//   stdout: "f <id hex> <data hex>"   a frame for the bus
//           "e <event ...>"           what the host did: SDO accesses, NMT states
//           "r <answer ...>"          the answer to one control command

const readline = require('readline');
const { Device, DataType, AccessType, Eds, NmtState } = require('canopen');

const BASE = 72;
const WIRELESS = 73;

// Software version texts by length; the firmware tail sits at the very end of the longer ones so
// that a cut transfer loses it.
function versionText(length) {
    const tail = '526-02';
    if (length < tail.length)
        return 'QR4.'.slice(0, length);
    return 'x'.repeat(length - tail.length) + tail;
}

function emit(line) {
    process.stdout.write(line + '\n');
}

function makeDevice(id, setup) {
    const eds = new Eds();
    eds.addSdoServerParameter(0, 0x580 + id, 0x600 + id);
    setup(eds);
    const device = new Device({ id, eds });
    device.addListener('message', ({ id: cobId, data }) => emit(`f ${cobId.toString(16)} ${data.toString('hex')}`));
    device.nmt.addListener('changeState', (state) => emit(`e nmt ${id} ${state}`));
    return device;
}

// A manufacturer object carrying one PDO's byte, and the TPDO that sends it (event type 255:
// sent only when the peer is told to).
function addTpdo(eds, number, cobId, valid, mapped) {
    const index = 0x2100 + number;
    const obj = eds.addEntry(index, {
        parameterName: `TPDO${number + 1} byte`, dataType: DataType.UNSIGNED8, accessType: AccessType.READ_WRITE,
    });
    eds.addTransmitPdo({ cobId, transmissionType: 0xFF, dataObjects: [obj] }, { index: 0x1800 + number });
    if (!valid)
        eds.getSubEntry(0x1800 + number, 1).value = (0x80000000 | cobId) >>> 0;
    if (!mapped)
        eds.getSubEntry(0x1A00 + number, 0).value = 0;
}

const base = makeDevice(BASE, (eds) => {
    eds.setIdentity({ vendorId: 0x51, productCode: 0x5526, revisionNumber: 0x00040002, serialNumber: 1 });
    eds.addEntry(0x100A, {
        parameterName: 'Manufacturer software version', dataType: DataType.VISIBLE_STRING,
        accessType: AccessType.READ_ONLY, defaultValue: versionText(7),
    });
    const association = eds.addEntry(0x2010, { parameterName: 'Association', objectType: 9 /* RECORD */ });
    for (let sub = 1; sub <= 5; sub++)
        association.addSubObject(sub, { parameterName: `Control ${sub}`, dataType: DataType.UNSIGNED8, accessType: AccessType.READ_WRITE });
    association[5].value = 0x41;  // other bits set so a write that loses them shows
    addTpdo(eds, 0, 0x1C8, true, true);
    addTpdo(eds, 2, 0x3C8, false, false);  // signal strength: off until the host enables it
});

const wireless = makeDevice(WIRELESS, (eds) => {
    addTpdo(eds, 0, 0x1C9, true, true);
    addTpdo(eds, 1, 0x2C9, true, true);
});

const devices = { [BASE]: base, [WIRELESS]: wireless };
const present = new Set();
const aborts = new Map();  // "index:sub" -> abort code, for the SDO abort fault
let endless = null;  // bytes in each segment, for the fault of uploads that never end

function sendPdo(device, cobId, value) {
    const number = (cobId >> 8) - 1;
    device.setValue(0x2100 + number, value);
    try {
        device.pdo.write(cobId);
        return true;
    } catch (e) {
        return false;  // not valid, not mapped or not operational: a real node stays silent too
    }
}

function pdoOwner(cobId) {
    return devices[cobId & 0x7F];
}

// What the host asked of a node by SDO, logged before the device answers.
function logSdoRequest(node, data) {
    const command = data[0] >> 5;
    const index = data.readUInt16LE(1);
    const sub = data[3];
    const key = `${index}:${sub}`;
    if (command === 1) {
        const size = (data[0] & 0x02) ? 4 - ((data[0] >> 2) & 3) : 4;
        emit(`e sdo-write ${node} ${index.toString(16)} ${sub} ${data.subarray(4, 4 + size).toString('hex')}`);
    } else if (command === 2) {
        emit(`e sdo-read ${node} ${index.toString(16)} ${sub}`);
    } else {
        return false;
    }
    if (!aborts.has(key))
        return false;
    const abort = Buffer.alloc(8);
    abort[0] = 0x80;
    data.copy(abort, 1, 1, 4);
    abort.writeUInt32LE(aborts.get(key), 4);
    emit(`f ${(0x580 + node).toString(16)} ${abort.toString('hex')}`);
    return true;
}

// The endless-upload fault: every upload is segmented, and no segment is the last.
function answerEndless(node, data) {
    const command = data[0] >> 5;
    if (endless === null || (command !== 2 && command !== 3))
        return false;
    const answer = Buffer.alloc(8);
    if (command === 2) {
        answer[0] = 0x40;  // segmented, size not indicated
        data.copy(answer, 1, 1, 4);
    } else {
        answer[0] = (data[0] & 0x10) | ((7 - endless) << 1);
        answer.fill(0x78, 1, 1 + endless);
    }
    emit(`f ${(0x580 + node).toString(16)} ${answer.toString('hex')}`);
    return true;
}

function receive(id, data) {
    const node = id - 0x600;
    if (devices[node] && !present.has(node))
        return;
    if (devices[node] && node === BASE && (logSdoRequest(node, data) || answerEndless(node, data)))
        return;
    for (const n of present)
        devices[n].receive({ id, data, len: data.length });
}

const commands = {
    // fwtext <length>: the base remote's software version text (0, 4, 7, 44, 100 or 120 bytes)
    fwtext: ([length]) => { base.setValue(0x100A, versionText(Number(length))); return 'ok'; },
    // revision <hex>: 0x1018/3
    revision: ([value]) => { base.eds.getSubEntry(0x1018, 3).value = parseInt(value, 16) >>> 0; return 'ok'; },
    // pdo <cob-id hex> <byte hex>: the owning node sends it, if it may
    pdo: ([cobId, value]) => {
        const id = parseInt(cobId, 16);
        const owner = pdoOwner(id);
        return owner && present.has(owner.id) && sendPdo(owner, id, parseInt(value, 16)) ? 'sent' : 'refused';
    },
    // pair: a wireless remote whose batteries go in while the window is open. The base remote
    // closes its window (clears bit 2 of 0x2010/5) and the new remote reports its battery.
    pair: () => {
        const control = base.eds.getSubEntry(0x2010, 5);
        if (!(control.value & 0x04))
            return 'closed';
        control.value = control.value & ~0x04;
        sendPdo(wireless, 0x2C9, 0x00);
        return 'paired';
    },
    bootup: ([node]) => { emit(`f ${(0x700 + Number(node)).toString(16)} 00`); return 'ok'; },
    // abort <index hex> <sub> [code hex]: answer requests for this object with an abort; "abort off" ends it
    abort: ([index, sub, code]) => {
        if (index === 'off')
            aborts.clear();
        else
            aborts.set(`${parseInt(index, 16)}:${Number(sub)}`, parseInt(code || '06020000', 16));
        return 'ok';
    },
    // endless <bytes>: the base remote's uploads never end, each segment carrying 0..7 bytes; "endless off" ends it
    endless: ([bytes]) => { endless = bytes === 'off' ? null : Number(bytes); return 'ok'; },
    // get <node> <index hex> <sub>: a value as the node holds it now
    get: ([node, index, sub]) => {
        const eds = devices[Number(node)].eds;
        let entry;
        try {
            entry = eds.getSubEntry(parseInt(index, 16), Number(sub));
        } catch (e) {
            entry = Number(sub) === 0 ? eds.getEntry(parseInt(index, 16)) : undefined;  // a plain variable
        }
        return entry ? entry.raw.toString('hex') : 'none';
    },
    state: ([node]) => String(devices[Number(node)].nmt.state),
    // silent <node> on|off: the node answers nothing, as with its cable pulled, or answers again
    silent: ([node, on]) => {
        if (!devices[Number(node)])
            return `no node ${node}`;
        if (on === 'off')
            present.add(Number(node));
        else
            present.delete(Number(node));
        return 'ok';
    },
};

function run(line) {
    const [what, ...rest] = line.trim().split(/\s+/);
    if (what === 'f') {
        receive(parseInt(rest[0], 16), Buffer.from(rest[1] || '', 'hex'));
        return;
    }
    if (what !== 'c')
        return;
    const [name, ...args] = rest;
    let answer;
    try {
        answer = commands[name] ? commands[name](args) : `unknown ${name}`;
    } catch (e) {
        answer = `error ${e.message}`;
    }
    emit(`r ${name} ${answer}`);
}

function main() {
    const nodes = (process.argv.find((a) => a.startsWith('--nodes=')) || '--nodes=72,73').slice(8);
    for (const n of nodes.split(',').filter(Boolean).map(Number)) {
        if (!devices[n])
            throw new Error(`no node ${n} in this peer`);
        present.add(n);
        devices[n].start();
        emit(`f ${(0x700 + n).toString(16)} 00`);
        // Both remotes start themselves after boot-up, as stand-alone devices do.
        devices[n].nmt.setState(NmtState.OPERATIONAL);
    }
    readline.createInterface({ input: process.stdin }).on('line', run).on('close', () => process.exit(0));
    emit('r ready');
}

main();
