// The callbacks given to the bridge library. Both run on the library's own thread.
#pragma once

// Fetches exactly `count` waiting records and shows each on the main dialog (g_mainDialog).
void OnPdoEvent(int count);
// Registered beside OnPdoEvent; the events it reports are of no use to the tool.
void OnSecondaryEvent(int event, int data);
