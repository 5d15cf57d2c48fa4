// Watches the allocations made with new (std::nothrow), which is how the
// module makes its class objects, filters and pages: how many are still
// alive, and a switch that makes the next one fail. The test program
// replaces the global operators to do this.
#pragma once

namespace allocations {

// Blocks from new (std::nothrow) not yet deleted.
int Alive();

// The next new (std::nothrow) returns null.
void FailNext();

}  // namespace allocations
