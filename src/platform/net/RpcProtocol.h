#pragma once
// The wire protocol of the application server: length-prefixed frames carrying a hand-shake,
// late-bound automation calls and their answers. Shared by the daemon and by the client-side
// proxy, so it lives in the platform and depends on nothing but Variant.
//
// A frame is a 4-byte big-endian length (counting the bytes after it), one type byte and the
// payload. All integers are big-endian; doubles travel as their IEEE-754 bits, big-endian.
// docs/server.md describes every frame; this header is the reference for the byte layout.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Automation.h"
#include "platform/core/Variant.h"

namespace plat {

// A frame or value that breaks the protocol: truncated, malformed or over a limit. The peer that
// raises it answers with an error frame or closes the connection; it never takes a process down.
PLAT_DECLARE_EXCEPTION(ERpcProtocolError, Exception)

constexpr uint16_t kRpcVersion = 1;
constexpr uint32_t kRpcMagic = 0x52435331;  // "RCS1", first field of HELLO

enum class TRpcFrameType : uint8_t {
    Hello = 0x01,      // client: magic u32, version u16, server name text
    Challenge = 0x02,  // server: version u16, server nonce (32 bytes); a secret is required
    Auth = 0x03,       // client: client nonce (32 bytes), proof (32 bytes)
    Ready = 0x04,      // server: version u16, flags u8 (bit 0: authenticated), server proof (0 or 32 bytes)
    Call = 0x10,       // client: call id u32, kind u8, member text, argc u16, argc x (flags u8, value)
    Result = 0x11,     // server: call id u32, result value, count u16, count x (arg index u16, value)
    Error = 0x12,      // server: call id u32, message text
    Fatal = 0x1F,      // either side: message text; the connection closes after it
};

// Limits every decoder enforces. The defaults suit the server reading clients' frames.
struct TRpcLimits {
    uint32_t MaxFrame = 16u * 1024 * 1024;  // payload bytes of one frame
    int MaxDepth = 32;                      // nesting of arrays inside arrays
    int MaxDims = 8;                        // dimensions of one array
    uint16_t MaxArgs = 64;                  // arguments of one call
    uint32_t MaxNameLength = 256;           // member and server names
};

// ---- Values ------------------------------------------------------------------------------

// Appends the wire form of `value`. Automation objects cannot cross the wire (ERpcProtocolError).
void RpcWriteValue(std::string& out, const Variant& value);
// Reads one value; raises ERpcProtocolError for truncation, an unknown type, invalid UTF-8 or a
// broken limit. Element counts are checked against the bytes left before anything is allocated.
Variant RpcReadValue(std::string_view& in, const TRpcLimits& limits = {});

// ---- Payload primitives (used by frames; exposed for tests and the server) ----------------

void RpcPutU8(std::string& out, uint8_t v);
void RpcPutU16(std::string& out, uint16_t v);
void RpcPutU32(std::string& out, uint32_t v);
void RpcPutText(std::string& out, std::string_view text);  // u32 length + UTF-8 bytes
uint8_t RpcGetU8(std::string_view& in);
uint16_t RpcGetU16(std::string_view& in);
uint32_t RpcGetU32(std::string_view& in);
std::string RpcGetText(std::string_view& in, uint32_t maxLength);
std::string RpcGetBytes(std::string_view& in, size_t count);
bool RpcIsValidUtf8(std::string_view text);

// ---- Frames ------------------------------------------------------------------------------

struct TRpcFrame {
    TRpcFrameType Type = TRpcFrameType::Fatal;
    std::string Payload;
};

// Serialises a frame (length, type, payload).
std::string RpcEncodeFrame(TRpcFrameType type, std::string_view payload);

// One automation call as it crosses the wire.
struct TRpcCall {
    uint32_t CallId = 0;
    TInvokeKind Kind = TInvokeKind::Method;
    std::string Member;
    std::vector<Variant> Args;
    std::vector<bool> ByRef;  // same length as Args
};
std::string RpcEncodeCall(const TRpcCall& call);
TRpcCall RpcDecodeCall(std::string_view payload, const TRpcLimits& limits = {});

// The answer to a call: the result and the by-reference arguments' values after the call.
struct TRpcResult {
    uint32_t CallId = 0;
    Variant Result;
    std::vector<std::pair<uint16_t, Variant>> Written;
};
std::string RpcEncodeResult(const TRpcResult& result);
TRpcResult RpcDecodeResult(std::string_view payload, const TRpcLimits& limits = {});

std::string RpcEncodeError(uint32_t callId, std::string_view message);
// Returns the call id and fills `message`.
uint32_t RpcDecodeError(std::string_view payload, std::string& message);

// ---- Authentication ----------------------------------------------------------------------
// Challenge and response with HMAC-SHA-256: the client proves it knows the secret by
// HMAC(secret, "RCS1-C" | server nonce | client nonce | server name); the server answers
// HMAC(secret, "RCS1-S" | client nonce | server nonce | server name), so the client knows it
// reached a server holding the same secret. The secret itself never crosses the wire.

using TRpcDigest = std::array<uint8_t, 32>;
using TRpcNonce = std::array<uint8_t, 32>;

TRpcDigest RpcSha256(std::string_view data);
TRpcDigest RpcHmacSha256(std::string_view key, std::string_view data);
TRpcNonce RpcRandomNonce();  // from the system's random source; raises EOSError when it fails
TRpcDigest RpcClientProof(std::string_view secret, const TRpcNonce& serverNonce,
                          const TRpcNonce& clientNonce, std::string_view serverName);
TRpcDigest RpcServerProof(std::string_view secret, const TRpcNonce& serverNonce,
                          const TRpcNonce& clientNonce, std::string_view serverName);
// Compares in constant time.
bool RpcDigestEqual(const uint8_t* a, const uint8_t* b, size_t length);

}  // namespace plat
