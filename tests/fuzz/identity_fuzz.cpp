// The identity decoder on any bytes: it reads only the fields of an answer long enough to hold them.
#include "fuzz_input.h"
#include "link/command_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const klv::Bytes answer(data, data + size);
    const auto identity = klv::decodeIdentity(answer);
    klv::fuzz::require(identity.has_value() == (size >= 15), "an identity exactly from 15 bytes on");
    if (identity) {
        klv::fuzz::require(identity->modelCode == data[5], "model code from byte 5");
        for (size_t n = 0; n < 8; ++n)
            klv::fuzz::require(identity->present[n] == (data[7 + n] == 1), "presence from bytes 7..14");
    }
    return 0;
}
