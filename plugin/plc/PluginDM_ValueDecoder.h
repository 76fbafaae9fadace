#pragma once

#include <cstddef>
#include <cstdint>

#include "plc/PluginDM_RequestItems.h"

// Decoding one value of a response item from the bytes that cover it.

// The n bytes at `source` (n = 2, 4 or 8) as an integer: 16-bit words in
// source order, or in reverse word order when `swapped`, each word with its
// two bytes exchanged; with `le` all n bytes reversed after that; the result
// read little-endian. Defaults (swapped, not le) read big-endian, both set
// read little-endian.
uint64_t ReadOrderedBits(const uint8_t* source, int32_t n, bool swapped, bool le);

// Whether value size `size` at offset `offset` lies within a response of
// `length` bytes; for bits, whether the byte at `offset` does.
bool ValueInRange(TDataType type, int64_t offset, int64_t size, int64_t length);

// The value at `at`, with `available` bytes from there to the end of the
// response (at least the value's size; at least 1 for bits), typed and scaled
// as the item says. `counter` picks the bit of a bit value. `size` is the
// running value size: strings set it to the rest of the response, bits to 1
// after bit 7 and to 0 otherwise.
TVariant DecodeValue(const TResponseItem& item, const uint8_t* at, size_t available,
                     int32_t counter, int64_t& size);
