#include "Description.h"

namespace plcsim {

// The demo's memory; the README and the demo's request tree rely on this layout.
const char* const kDefaultDescription = R"(# plcsim default memory
area i size 32 fill sequence                # inputs: bytes 0..31 = 0, 1, 2, ...
value i.0 byte toggle pattern 0x0f period 0.5
area q size 32                              # outputs: walking bit in bytes 0..7
bytes q.0 01 02 04 08 10 20 40 80
area m size 256 fill sequence               # flags
value m.0 word counter period 0.1           # counts 10 times a second
area c size 128                             # counters C0..C63, 2 bytes each
value c.0 word counter period 1
bytes c.2 00 2a
area t size 128                             # timers T0..T63, 2 bytes each
value t.0 word ramp min 0 max 999 period 10

area db1 size 1024
value db1.0 dint counter step 1 period 1    # DINT counter, +1 per second
value db1.4 real sine amplitude 100 period 10
value db1.8 int ramp min 0 max 1000 period 20
value db1.10 byte toggle pattern 0x55 period 1
bytes db1.34 12 34 56 78 9a bc de f0        # fixed bytes
value db1.42 real const 3.14159
value db1.46 int const -1234
value db1.48 dint const 123456789
# A string's value runs to the end of what is read, so the message sits where
# a read of its 20 characters and the zero bytes after them fits the block.
value db1.512 string[20] text "plcsim" "running" "hello S7" period 5   # bytes 512..533

area db2 size 512 fill sequence             # byte k = k mod 256
)";

}  // namespace plcsim
