// Live input as a sequencer passes it: short messages in batches through
// OnInput, what comes out printed in the same hex form.
#pragma once

#include "host/MfxHost.h"
#include "tools/midifile/LiveLine.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Every message of a whole input, or the first fault in it.
bool ReadLiveMessages(std::istream& in, std::vector<midifile::ShortMessage>& messages,
                      midifile::ParseError& error);

// Turns messages into host items; the host bytes at offset 0 hold the line's
// sequence number.
DataItem MakeLiveItem(const midifile::ShortMessage& message, uint32_t sequence);

// Calls OnInput with up to batch items at a time and prints every item that
// comes out, one a line. Returns the filter's failure, if any.
HRESULT PlayLive(IMfxEventFilter* filter, const std::vector<DataItem>& items, size_t batch,
                 std::ostream& out, std::string& error);

// Reads lines as they come (standard input, a pipe), passing each batch on
// as soon as it is complete. Parse faults stop the run with error filled.
HRESULT StreamLive(IMfxEventFilter* filter, std::istream& in, size_t batch, std::ostream& out,
                   std::string& error, midifile::ParseError& parseError, bool& parseFailed);
