#include "platform/net/RpcProtocol.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

namespace plat {

namespace {

[[noreturn]] void Malformed(const std::string& what) { throw ERpcProtocolError("malformed frame: " + what); }

void Need(const std::string_view& in, size_t n, const char* what) {
    if (in.size() < n) Malformed(std::string("truncated ") + what);
}

uint64_t DoubleBits(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

double BitsDouble(uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void PutU64(std::string& out, uint64_t v) {
    for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

uint64_t GetU64(std::string_view& in) {
    Need(in, 8, "number");
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | static_cast<uint8_t>(in[i]);
    in.remove_prefix(8);
    return v;
}

bool IsKnownScalar(uint16_t type) {
    switch (type) {
        case varEmpty: case varNull: case varSmallint: case varInteger: case varDouble: case varDate:
        case varOleStr: case varBoolean: case varByte: case varString:
            return true;
        default:
            return false;
    }
}

// Writes `value` into the element at storage position `pos` of an array with these bounds
// (first index fastest, as Variant stores its elements).
void SetElement(Variant& array, const std::vector<TVarArrayBound>& bounds, size_t pos, Variant value) {
    if (bounds.size() == 1) {
        array[bounds[0].LowBound + static_cast<int>(pos)] = std::move(value);
        return;
    }
    int idx[8];
    for (size_t d = 0; d < bounds.size(); ++d) {
        const size_t count = static_cast<size_t>(bounds[d].ElementCount);
        idx[d] = bounds[d].LowBound + static_cast<int>(pos % count);
        pos /= count;
    }
    Variant* target = nullptr;
    switch (bounds.size()) {
        case 2: target = &array.At({idx[0], idx[1]}); break;
        case 3: target = &array.At({idx[0], idx[1], idx[2]}); break;
        case 4: target = &array.At({idx[0], idx[1], idx[2], idx[3]}); break;
        case 5: target = &array.At({idx[0], idx[1], idx[2], idx[3], idx[4]}); break;
        case 6: target = &array.At({idx[0], idx[1], idx[2], idx[3], idx[4], idx[5]}); break;
        case 7: target = &array.At({idx[0], idx[1], idx[2], idx[3], idx[4], idx[5], idx[6]}); break;
        case 8: target = &array.At({idx[0], idx[1], idx[2], idx[3], idx[4], idx[5], idx[6], idx[7]}); break;
        default: Malformed("too many array dimensions");
    }
    *target = std::move(value);
}

Variant ReadValue(std::string_view& in, const TRpcLimits& limits, int depth) {
    const uint16_t type = RpcGetU16(in);
    if (type & varArray) {
        if (depth >= limits.MaxDepth) Malformed("arrays nested deeper than " + std::to_string(limits.MaxDepth));
        const uint16_t elementType = type & varTypeMask;
        if (elementType != varVariant && !IsKnownScalar(elementType))
            Malformed("unknown array element type " + std::to_string(elementType));
        const uint8_t dims = RpcGetU8(in);
        if (dims < 1 || dims > limits.MaxDims || dims > 8)
            Malformed("array with " + std::to_string(dims) + " dimensions");
        std::vector<TVarArrayBound> bounds(dims);
        uint64_t total = 1;
        for (auto& b : bounds) {
            b.LowBound = static_cast<int32_t>(RpcGetU32(in));
            const uint32_t count = RpcGetU32(in);
            if (count > 0x7FFFFFFFu || b.LowBound == INT32_MIN ||
                static_cast<int64_t>(b.LowBound) + count - 1 > INT32_MAX)
                Malformed("array bounds out of range");
            b.ElementCount = static_cast<int>(count);
            total *= count;
            // Every element takes at least its two type bytes: more elements than that cannot
            // follow, so refuse before allocating anything.
            if (total > in.size() / 2) Malformed("array of " + std::to_string(total) + " elements exceeds the frame");
        }
        if (elementType == varEmpty || elementType == varNull) Malformed("array of element type " + std::to_string(elementType));
        // A typed array may refuse an element the sender put in; that is the sender's fault.
        try {
            Variant array = VarArrayCreate(bounds, static_cast<TVarType>(elementType));
            for (uint64_t pos = 0; pos < total; ++pos)
                SetElement(array, bounds, static_cast<size_t>(pos), ReadValue(in, limits, depth + 1));
            return array;
        } catch (const EVariantError& e) {
            Malformed(std::string("array: ") + e.what());
        }
    }
    switch (type) {
        case varEmpty: return Variant();
        case varNull: return Variant::Null();
        case varSmallint: return Variant::Smallint(static_cast<int16_t>(RpcGetU16(in)));
        case varInteger: return Variant(static_cast<int32_t>(RpcGetU32(in)));
        case varByte: return Variant::Byte(RpcGetU8(in));
        case varDouble: return Variant(BitsDouble(GetU64(in)));
        case varDate: return Variant::Date(BitsDouble(GetU64(in)));
        case varBoolean: {
            const uint8_t b = RpcGetU8(in);
            if (b > 1) Malformed("Boolean value " + std::to_string(b));
            return Variant(b == 1);
        }
        case varString: return Variant::Narrow(RpcGetText(in, UINT32_MAX));
        case varOleStr: return Variant::Wide(RpcGetText(in, UINT32_MAX));
        default: Malformed("unknown value type " + std::to_string(type));
    }
}

// ---- SHA-256 (FIPS 180-4) ----

constexpr uint32_t kK[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(uint32_t h[8], const uint8_t block[64]) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
               (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t t1 = k + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kK[i] + w[i];
        const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        k = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
    }
    h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += k;
}

TRpcDigest Sha256Parts(std::initializer_list<std::string_view> parts) {
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    uint8_t block[64];
    size_t fill = 0;
    uint64_t bits = 0;
    for (std::string_view part : parts) {
        bits += uint64_t(part.size()) * 8;
        for (char ch : part) {
            block[fill++] = static_cast<uint8_t>(ch);
            if (fill == 64) { Compress(h, block); fill = 0; }
        }
    }
    block[fill++] = 0x80;
    if (fill > 56) {
        while (fill < 64) block[fill++] = 0;
        Compress(h, block);
        fill = 0;
    }
    while (fill < 56) block[fill++] = 0;
    for (int i = 7; i >= 0; --i) block[fill++] = static_cast<uint8_t>(bits >> (8 * i));
    Compress(h, block);
    TRpcDigest out{};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<uint8_t>(h[i] >> (24 - 8 * j));
    return out;
}

std::string_view View(const TRpcDigest& d) { return {reinterpret_cast<const char*>(d.data()), d.size()}; }

}  // namespace

// ---- Primitives ----

void RpcPutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }
void RpcPutU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v & 0xFF));
}
void RpcPutU32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}
void RpcPutText(std::string& out, std::string_view text) {
    if (text.size() > UINT32_MAX) throw ERpcProtocolError("text too long for the wire");
    RpcPutU32(out, static_cast<uint32_t>(text.size()));
    out.append(text);
}

uint8_t RpcGetU8(std::string_view& in) {
    Need(in, 1, "byte");
    const uint8_t v = static_cast<uint8_t>(in[0]);
    in.remove_prefix(1);
    return v;
}
uint16_t RpcGetU16(std::string_view& in) {
    Need(in, 2, "number");
    const uint16_t v = static_cast<uint16_t>((static_cast<uint8_t>(in[0]) << 8) | static_cast<uint8_t>(in[1]));
    in.remove_prefix(2);
    return v;
}
uint32_t RpcGetU32(std::string_view& in) {
    Need(in, 4, "number");
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(in[i]);
    in.remove_prefix(4);
    return v;
}
std::string RpcGetBytes(std::string_view& in, size_t count) {
    Need(in, count, "bytes");
    std::string out(in.substr(0, count));
    in.remove_prefix(count);
    return out;
}
std::string RpcGetText(std::string_view& in, uint32_t maxLength) {
    const uint32_t length = RpcGetU32(in);
    if (length > maxLength) Malformed("text of " + std::to_string(length) + " bytes exceeds the limit");
    if (in.size() < length) Malformed("truncated text");
    std::string text(in.substr(0, length));
    in.remove_prefix(length);
    if (!RpcIsValidUtf8(text)) Malformed("text is not valid UTF-8");
    return text;
}

bool RpcIsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t c = static_cast<uint8_t>(s[i]);
        int extra;
        uint32_t cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const uint8_t cc = static_cast<uint8_t>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// ---- Values ----

void RpcWriteValue(std::string& out, const Variant& value) {
    if (value.IsArray()) {
        const int dims = value.DimCount();
        if (dims > 8) throw ERpcProtocolError("arrays of more than 8 dimensions cannot cross the wire");
        RpcPutU16(out, static_cast<uint16_t>(varArray | (value.ElementType() & varTypeMask)));
        RpcPutU8(out, static_cast<uint8_t>(dims));
        for (int d = 1; d <= dims; ++d) {
            RpcPutU32(out, static_cast<uint32_t>(value.LowBound(d)));
            RpcPutU32(out, static_cast<uint32_t>(value.ElementCount(d)));
        }
        for (const Variant& item : value.Elements()) RpcWriteValue(out, item);
        return;
    }
    const TVarType type = value.VarType();
    switch (type) {
        case varEmpty:
        case varNull:
            RpcPutU16(out, type);
            return;
        case varSmallint:
            RpcPutU16(out, type);
            RpcPutU16(out, static_cast<uint16_t>(static_cast<int16_t>(value.AsInteger())));
            return;
        case varInteger:
            RpcPutU16(out, type);
            RpcPutU32(out, static_cast<uint32_t>(value.AsInteger()));
            return;
        case varByte:
            RpcPutU16(out, type);
            RpcPutU8(out, static_cast<uint8_t>(value.AsInteger()));
            return;
        case varDouble:
            RpcPutU16(out, type);
            PutU64(out, DoubleBits(value.AsDouble()));
            return;
        case varDate:
            RpcPutU16(out, type);
            PutU64(out, DoubleBits(value.AsDate()));
            return;
        case varBoolean:
            RpcPutU16(out, type);
            RpcPutU8(out, value.AsBoolean() ? 1 : 0);
            return;
        case varString:
        case varOleStr:
            RpcPutU16(out, type);
            RpcPutText(out, value.AsString());
            return;
        case varDispatch:
            throw ERpcProtocolError("an automation object cannot be passed to or from a remote server");
        default:
            throw ERpcProtocolError("a value of type " + Variant::TypeName(type) + " cannot cross the wire");
    }
}

Variant RpcReadValue(std::string_view& in, const TRpcLimits& limits) { return ReadValue(in, limits, 0); }

// ---- Frames ----

std::string RpcEncodeFrame(TRpcFrameType type, std::string_view payload) {
    if (payload.size() + 1 > UINT32_MAX) throw ERpcProtocolError("frame too large");
    std::string out;
    out.reserve(payload.size() + 5);
    RpcPutU32(out, static_cast<uint32_t>(payload.size() + 1));
    RpcPutU8(out, static_cast<uint8_t>(type));
    out.append(payload);
    return out;
}

std::string RpcEncodeCall(const TRpcCall& call) {
    if (call.Args.size() > UINT16_MAX) throw ERpcProtocolError("too many arguments");
    std::string out;
    RpcPutU32(out, call.CallId);
    RpcPutU8(out, static_cast<uint8_t>(call.Kind));
    RpcPutText(out, call.Member);
    RpcPutU16(out, static_cast<uint16_t>(call.Args.size()));
    for (size_t i = 0; i < call.Args.size(); ++i) {
        RpcPutU8(out, i < call.ByRef.size() && call.ByRef[i] ? 1 : 0);
        RpcWriteValue(out, call.Args[i]);
    }
    return out;
}

TRpcCall RpcDecodeCall(std::string_view in, const TRpcLimits& limits) {
    TRpcCall call;
    call.CallId = RpcGetU32(in);
    const uint8_t kind = RpcGetU8(in);
    if (kind > static_cast<uint8_t>(TInvokeKind::PropertyPut)) Malformed("unknown call kind " + std::to_string(kind));
    call.Kind = static_cast<TInvokeKind>(kind);
    call.Member = RpcGetText(in, limits.MaxNameLength);
    if (call.Member.empty()) Malformed("empty member name");
    const uint16_t argc = RpcGetU16(in);
    if (argc > limits.MaxArgs) Malformed(std::to_string(argc) + " arguments exceed the limit of " + std::to_string(limits.MaxArgs));
    for (uint16_t i = 0; i < argc; ++i) {
        const uint8_t flags = RpcGetU8(in);
        if (flags > 1) Malformed("unknown argument flags");
        call.ByRef.push_back(flags == 1);
        call.Args.push_back(RpcReadValue(in, limits));
    }
    if (!in.empty()) Malformed("bytes after the last argument");
    return call;
}

std::string RpcEncodeResult(const TRpcResult& result) {
    std::string out;
    RpcPutU32(out, result.CallId);
    RpcWriteValue(out, result.Result);
    RpcPutU16(out, static_cast<uint16_t>(result.Written.size()));
    for (const auto& [index, value] : result.Written) {
        RpcPutU16(out, index);
        RpcWriteValue(out, value);
    }
    return out;
}

TRpcResult RpcDecodeResult(std::string_view in, const TRpcLimits& limits) {
    TRpcResult r;
    r.CallId = RpcGetU32(in);
    r.Result = RpcReadValue(in, limits);
    const uint16_t count = RpcGetU16(in);
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t index = RpcGetU16(in);
        r.Written.emplace_back(index, RpcReadValue(in, limits));
    }
    if (!in.empty()) Malformed("bytes after the result");
    return r;
}

std::string RpcEncodeError(uint32_t callId, std::string_view message) {
    std::string out;
    RpcPutU32(out, callId);
    RpcPutText(out, message);
    return out;
}

uint32_t RpcDecodeError(std::string_view in, std::string& message) {
    const uint32_t id = RpcGetU32(in);
    message = RpcGetText(in, UINT32_MAX);
    return id;
}

// ---- Authentication ----

TRpcDigest RpcSha256(std::string_view data) { return Sha256Parts({data}); }

TRpcDigest RpcHmacSha256(std::string_view key, std::string_view data) {
    std::string k(key);
    if (k.size() > 64) {
        const TRpcDigest d = RpcSha256(k);
        k.assign(View(d));
    }
    k.resize(64, '\0');
    std::string ipad(64, '\0'), opad(64, '\0');
    for (int i = 0; i < 64; ++i) {
        ipad[i] = static_cast<char>(k[i] ^ 0x36);
        opad[i] = static_cast<char>(k[i] ^ 0x5c);
    }
    const TRpcDigest inner = Sha256Parts({ipad, data});
    return Sha256Parts({opad, View(inner)});
}

TRpcNonce RpcRandomNonce() {
    TRpcNonce n{};
    size_t got = 0;
    while (got < n.size()) {
        const ssize_t r = getrandom(n.data() + got, n.size() - got, 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw EOSError(std::string("cannot read the system's random source: ") + std::strerror(errno), errno);
        }
        got += static_cast<size_t>(r);
    }
    return n;
}

TRpcDigest RpcClientProof(std::string_view secret, const TRpcNonce& serverNonce, const TRpcNonce& clientNonce,
                          std::string_view serverName) {
    std::string data = "RCS1-C";
    data.append(View(serverNonce)).append(View(clientNonce)).append(serverName);
    return RpcHmacSha256(secret, data);
}

TRpcDigest RpcServerProof(std::string_view secret, const TRpcNonce& serverNonce, const TRpcNonce& clientNonce,
                          std::string_view serverName) {
    std::string data = "RCS1-S";
    data.append(View(clientNonce)).append(View(serverNonce)).append(serverName);
    return RpcHmacSha256(secret, data);
}

bool RpcDigestEqual(const uint8_t* a, const uint8_t* b, size_t length) {
    uint8_t diff = 0;
    for (size_t i = 0; i < length; ++i) diff |= static_cast<uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace plat
