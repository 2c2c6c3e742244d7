'use strict';
// Same call shape as node-crc's crc(): (width, reflect, polynomial, initial, finalXor,
// inputXor, outputXor?, unused, data) -> big-endian Buffer. Only the non-reflected 16-bit
// form is needed (SDO block-transfer CRC); anything else is refused rather than guessed.
function crc(width, reflect, polynomial, initial, finalXor, ...rest) {
    const data = rest[rest.length - 1];
    if (width !== 16 || reflect)
        throw new RangeError('crc stand-in: only non-reflected CRC-16 is provided');
    let value = Number(initial) & 0xFFFF;
    for (const byte of data) {
        value ^= byte << 8;
        for (let bit = 0; bit < 8; bit++)
            value = (value & 0x8000) ? ((value << 1) ^ polynomial) & 0xFFFF : (value << 1) & 0xFFFF;
    }
    const out = Buffer.alloc(2);
    out.writeUInt16BE((value ^ Number(finalXor)) & 0xFFFF);
    return out;
}

module.exports = { crc };
