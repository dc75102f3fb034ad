// The control values a directory server sends back, fed any bytes: a DirSync response that is
// read encodes back to the same bytes' meaning (a request from its cookie holds the cookie
// whole), a list view count is read only from a whole value, a content synchronisation state
// comes only from a cookie that holds it, and base64 goes both ways.
#include "fuzz_check.h"
#include "marker/control_values.h"
#include "marker/marker_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DirSyncResponse response;
    if (DecodeDirSyncResponse(bytes, response)) {
        FUZZ_CHECK(response.cookie.size() < size);
        const std::string request = EncodeDirSyncRequest(1, 1048576, response.cookie);
        FUZZ_CHECK(request.find(response.cookie) != std::string::npos);
    }
    unsigned long count = 0;
    if (DecodeVlvCount(bytes, count))
        FUZZ_CHECK(count <= 0xFFFFFFFFul);
    bool hasCookie = false;
    std::string cookie;
    const bool done = DecodeSyncDone(bytes, hasCookie, cookie);
    if (done)
        FUZZ_CHECK(cookie.size() < size && (hasCookie || cookie.empty()));
    const std::string state = SyncDoneState(bytes);
    FUZZ_CHECK(
        state.empty() ||
        (done && hasCookie && cookie.find(state.substr(0, state.find(' '))) != std::string::npos));
    std::string back;
    FUZZ_CHECK(FromBase64(Base64(bytes), back) && back == bytes);
    if (FromBase64(bytes, back))
        FUZZ_CHECK(Base64(back) == bytes);
    return 0;
}
