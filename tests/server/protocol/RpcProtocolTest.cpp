#include <gtest/gtest.h>

#include "platform/core/Automation.h"
#include "platform/net/RpcProtocol.h"
#include "platform/net/RpcSocket.h"

using namespace plat;

namespace {

std::string Hex(const TRpcDigest& d) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : d) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

std::string Encode(const Variant& v) {
    std::string out;
    RpcWriteValue(out, v);
    return out;
}

Variant Decode(const std::string& bytes, const TRpcLimits& limits = {}) {
    std::string_view in = bytes;
    Variant v = RpcReadValue(in, limits);
    EXPECT_TRUE(in.empty()) << "bytes left after the value";
    return v;
}

}  // namespace

TEST(RpcCrypto, Sha256AndHmacMatchPublishedVectors) {
    EXPECT_EQ(Hex(RpcSha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex(RpcSha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex(RpcSha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million 'a': many blocks and a length beyond one block's counter byte.
    EXPECT_EQ(Hex(RpcSha256(std::string(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // HMAC test cases 1, 2 and 6 of RFC 4231 (6: a key longer than the block).
    EXPECT_EQ(Hex(RpcHmacSha256(std::string(20, '\x0b'), "Hi There")),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(Hex(RpcHmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(Hex(RpcHmacSha256(std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First")),
              "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
}

TEST(RpcCrypto, ProofsDependOnSecretNoncesAndServerName) {
    const TRpcNonce a = RpcRandomNonce(), b = RpcRandomNonce();
    EXPECT_NE(a, b);
    const TRpcDigest proof = RpcClientProof("s3cret", a, b, "ReportCounterS.dmReportCounter");
    EXPECT_EQ(proof, RpcClientProof("s3cret", a, b, "ReportCounterS.dmReportCounter"));
    EXPECT_NE(proof, RpcClientProof("s3cret!", a, b, "ReportCounterS.dmReportCounter"));
    EXPECT_NE(proof, RpcClientProof("s3cret", b, a, "ReportCounterS.dmReportCounter"));
    EXPECT_NE(proof, RpcClientProof("s3cret", a, b, "Other.Class"));
    // The server's proof is not the client's, so a reflected answer proves nothing.
    EXPECT_NE(proof, RpcServerProof("s3cret", a, b, "ReportCounterS.dmReportCounter"));
}

TEST(RpcValue, EveryKindRoundTripsWithItsType) {
    Variant grid = VarArrayCreate({1, 2, -1, 0});
    grid.At(1, -1) = Variant(1);
    grid.At(2, -1) = Variant::Wide("二");
    grid.At(1, 0) = Variant::Null();
    grid.At(2, 0) = VarArrayOf({Variant(true), Variant::Date(45356.25)});
    const std::vector<Variant> cases = {
        Variant(),
        Variant::Null(),
        Variant(int32_t{-2147483647 - 1}),
        Variant(2.5),
        Variant(-0.0),
        Variant::Date(45356.34375),
        Variant(true),
        Variant(false),
        Variant::Narrow("ascii"),
        Variant::Wide("宽字符 and \x01\x03\x04 separators"),
        Variant::Narrow(""),
        Variant::Byte(200),
        Variant::Smallint(-3),
        VarArrayCreate({0, -1}),
        VarArrayOf({Variant("\x04"), Variant("20240101"), VarArrayOf({Variant(1), Variant::Null()})}),
        grid,
    };
    for (const Variant& v : cases) {
        const Variant back = Decode(Encode(v));
        EXPECT_EQ(back.VarType(), v.VarType()) << Variant::TypeName(v.VarType());
        EXPECT_TRUE(back == v || (v.IsNull() && back.IsNull())) << Variant::TypeName(v.VarType());
        if (v.IsArray()) {
            ASSERT_EQ(back.DimCount(), v.DimCount());
            for (int d = 1; d <= v.DimCount(); ++d) {
                EXPECT_EQ(back.LowBound(d), v.LowBound(d));
                EXPECT_EQ(back.HighBound(d), v.HighBound(d));
            }
        }
    }
    EXPECT_EQ(Decode(Encode(grid)).At(2, 0)[1].VarType(), varDate);
    EXPECT_EQ(Decode(Encode(grid)).At(2, -1).VarType(), varOleStr);
}

TEST(RpcValue, EveryTruncationIsRefused) {
    const std::string whole = Encode(VarArrayOf({Variant("text"), Variant(7), Variant(1.5), VarArrayOf({Variant(true)})}));
    for (size_t n = 0; n < whole.size(); ++n) {
        std::string_view in(whole.data(), n);
        EXPECT_THROW(RpcReadValue(in), ERpcProtocolError) << "prefix of " << n << " bytes";
    }
}

TEST(RpcValue, MalformedInputIsRefusedWithoutAllocating) {
    auto bytes = [](std::initializer_list<int> b) {
        std::string s;
        for (int c : b) s.push_back(static_cast<char>(c));
        return s;
    };
    struct Case {
        const char* what;
        std::string data;
    };
    std::string deep;
    for (int i = 0; i < 40; ++i) deep += bytes({0x20, 0x0C, 1, 0, 0, 0, 0, 0, 0, 0, 1});
    deep += bytes({0, 0});
    const std::vector<Case> cases = {
        {"unknown type", bytes({0x00, 0x42})},
        {"Boolean other than 0 or 1", bytes({0x00, 0x0B, 0x02})},
        {"invalid UTF-8", bytes({0x01, 0x00, 0, 0, 0, 2, 0xC3, 0x28})},
        {"overlong UTF-8", bytes({0x01, 0x00, 0, 0, 0, 2, 0xC0, 0xAF})},
        {"text longer than the frame", bytes({0x00, 0x08, 0x7F, 0xFF, 0xFF, 0xFF, 'a'})},
        {"two billion elements announced", bytes({0x20, 0x0C, 1, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0, 0})},
        {"element product overflow", bytes({0x20, 0x0C, 2, 0, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0x00, 0x01, 0, 0})},
        {"zero dimensions", bytes({0x20, 0x0C, 0})},
        {"nine dimensions", bytes({0x20, 0x0C, 9})},
        {"unknown element type", bytes({0x20, 0x42, 1, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"arrays nested too deep", deep},
        {"automation object on the wire", bytes({0x00, 0x09})},
    };
    for (const Case& c : cases) {
        std::string_view in = c.data;
        EXPECT_THROW(RpcReadValue(in), ERpcProtocolError) << c.what;
    }
}

TEST(RpcValue, AutomationObjectsDoNotCrossTheWire) {
    class TDummy : public TDispatchObject {
    public:
        TDummy() : TDispatchObject("Dummy.Class1") {}
    };
    std::string out;
    EXPECT_THROW(RpcWriteValue(out, Variant(TAutoObjectPtr(std::make_shared<TDummy>()))), ERpcProtocolError);
}

TEST(RpcFrames, CallAndResultRoundTripWithByReferenceFlags) {
    TRpcCall call;
    call.CallId = 77;
    call.Kind = TInvokeKind::PropertyPut;
    call.Member = "ChangeConName";
    call.Args = {VarArrayOf({Variant("a"), Variant("U")}), Variant(3)};
    call.ByRef = {true, false};
    const TRpcCall back = RpcDecodeCall(RpcEncodeCall(call));
    EXPECT_EQ(back.CallId, 77u);
    EXPECT_EQ(back.Kind, TInvokeKind::PropertyPut);
    EXPECT_EQ(back.Member, "ChangeConName");
    EXPECT_EQ(back.ByRef, call.ByRef);
    EXPECT_TRUE(back.Args[0] == call.Args[0]);

    TRpcResult result{77, Variant(""), {{0, Variant("written")}}};
    const TRpcResult r = RpcDecodeResult(RpcEncodeResult(result));
    EXPECT_EQ(r.CallId, 77u);
    ASSERT_EQ(r.Written.size(), 1u);
    EXPECT_EQ(r.Written[0].second.AsString(), "written");

    std::string message;
    EXPECT_EQ(RpcDecodeError(RpcEncodeError(9, "unknown member"), message), 9u);
    EXPECT_EQ(message, "unknown member");
}

TEST(RpcFrames, MalformedCallsAreRefused) {
    TRpcCall call;
    call.Member = "X";
    call.Args = {Variant(1)};
    call.ByRef = {false};
    const std::string good = RpcEncodeCall(call);
    EXPECT_THROW(RpcDecodeCall(good + "x"), ERpcProtocolError);  // trailing bytes
    std::string badKind = good;
    badKind[4] = 9;
    EXPECT_THROW(RpcDecodeCall(badKind), ERpcProtocolError);
    TRpcLimits few;
    few.MaxArgs = 0;
    EXPECT_THROW(RpcDecodeCall(good, few), ERpcProtocolError);
    call.Member = "";
    EXPECT_THROW(RpcDecodeCall(RpcEncodeCall(call)), ERpcProtocolError);
}

TEST(RpcEndpoint, HostAndPortAreSplit) {
    struct Case {
        const char* text;
        const char* host;
        int port;
    };
    for (const Case& c : {Case{"127.0.0.1:2211", "127.0.0.1", 2211}, Case{"localhost:0", "localhost", 0},
                          Case{"[::1]:65535", "::1", 65535}}) {
        std::string host;
        uint16_t port = 1;
        RpcParseEndpoint(c.text, host, port);
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(port, c.port);
    }
    for (const char* bad : {"localhost", ":2211", "host:", "host:65536", "host:12x", "[::1]2211"}) {
        std::string host;
        uint16_t port;
        EXPECT_THROW(RpcParseEndpoint(bad, host, port), EConvertError) << bad;
    }
}

// Damaged calls (bytes flipped, cut or appended at random, with a fixed seed) either decode or
// raise the protocol error; nothing else escapes the decoder.
TEST(RpcFrames, RandomlyDamagedCallsOnlyRaiseProtocolErrors) {
    TRpcCall call;
    call.CallId = 1;
    call.Member = "Request";
    Variant grid = VarArrayCreate({-2, 1, 0, 2});
    grid.At(-2, 0) = Variant::Wide("格");
    call.Args = {VarArrayOf({Variant("\x04"), Variant(2.5), Variant::Date(1.5), VarArrayOf({Variant(true)})}), grid,
                 Variant::Null()};
    call.ByRef = {true, false, false};
    const std::string good = RpcEncodeCall(call);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFFFF; };
    int decoded = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bad = good;
        const int edits = 1 + next() % 4;
        for (int e = 0; e < edits; ++e) {
            switch (next() % 3) {
                case 0: bad[next() % bad.size()] = static_cast<char>(next() & 0xFF); break;
                case 1: bad.resize(next() % (bad.size() + 1)); if (bad.empty()) bad = "x"; break;
                default: bad.push_back(static_cast<char>(next() & 0xFF)); break;
            }
        }
        try {
            RpcDecodeCall(bad);
            ++decoded;
        } catch (const ERpcProtocolError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_EQ(decoded + refused, 3000);
}
