// Tests of the remote API wire codec: WireWriter, WireReader and FrameDecoder.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/wire/FrameDecoder.h"
#include "core/wire/WireReader.h"
#include "core/wire/WireWriter.h"

namespace {

std::vector<std::uint8_t> Bytes(const WireWriter& writer)
{
    return std::vector<std::uint8_t>(writer.Data(), writer.Data() + writer.Size());
}

std::vector<std::uint8_t> Le(std::initializer_list<std::uint32_t> words)
{
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t w : words)
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    return bytes;
}

}  // namespace

TEST(WireWriterTest, EncodesEachRecordAsTheWireFormatLaysItOut)
{
    const std::uint8_t data[3] = {0xAA, 0xBB, 0xCC};
    struct Case {
        const char* name;
        void (*write)(WireWriter&, const std::uint8_t*);
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"Str", [](WireWriter& w, const std::uint8_t*) { w.Str(u"AB"); }, {1, 0, 0, 0, 3, 0, 0, 0, 'A', 0, 'B', 0, 0, 0}},
        {"OStr", [](WireWriter& w, const std::uint8_t*) { w.OStr(u"A"); }, {1, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 'A', 0, 0, 0}},
        {"null Str", [](WireWriter& w, const std::uint8_t*) { w.Str(nullptr); }, Le({0})},
        {"null OStr", [](WireWriter& w, const std::uint8_t*) { w.OStr(nullptr); }, Le({0})},
        {"Out", [](WireWriter& w, const std::uint8_t*) { w.Out(36); }, Le({1, 36, 0})},
        {"OptU32", [](WireWriter& w, const std::uint8_t*) { w.OptU32(0x01020304); }, Le({1, 4, 1, 0x01020304})},
        {"Opt", [](WireWriter& w, const std::uint8_t* d) { w.Opt(d, 3); }, {1, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0xAA, 0xBB, 0xCC}},
        {"In", [](WireWriter& w, const std::uint8_t* d) { w.In(d, 3); }, {1, 0, 0, 0, 3, 0, 0, 0, 0xAA, 0xBB, 0xCC}},
        {"Chinese Str", [](WireWriter& w, const std::uint8_t*) { w.Str(u"表"); }, {1, 0, 0, 0, 2, 0, 0, 0, 0x68, 0x88, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WireWriter writer;
        c.write(writer, data);
        EXPECT_EQ(Bytes(writer), c.expected);
    }
}

TEST(WireWriterTest, FramesCarryTheirBodyLengthAndFollowEachOther)
{
    WireWriter writer;
    writer.BeginFrame();
    writer.U32(0x2f).Out(36);
    writer.EndFrame();
    writer.BeginFrame();
    writer.U32(8).U32(0x10);
    writer.EndFrame();
    writer.BeginFrame();
    writer.U32(99);
    writer.AbandonFrame();
    const auto bytes = Bytes(writer);
    ASSERT_EQ(bytes.size(), 4u + 16u + 4u + 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), Le({16}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 20, bytes.begin() + 24), Le({8}));
}

TEST(WireReaderTest, ReadsBackWhatTheWriterWrote)
{
    const std::uint8_t blob[5] = {1, 2, 3, 4, 5};
    WireWriter writer;
    writer.U32(7).Str(u"\\Storage Card\\Backup\\").OStr(u"名字").Null().Out(8).Opt(blob, 5).OptU32(42).In(blob, 2).OStr(u"");
    WireReader reader(writer.Data(), writer.Size());
    std::uint32_t value = 0;
    WireReader::Text path, name, missing, empty;
    WireReader::Record out, opt, number, in;
    ASSERT_TRUE(reader.U32(value));
    ASSERT_TRUE(reader.Str(path));
    ASSERT_TRUE(reader.OStr(name));
    ASSERT_TRUE(reader.Str(missing));
    ASSERT_TRUE(reader.Opt(out));
    ASSERT_TRUE(reader.Opt(opt));
    ASSERT_TRUE(reader.Opt(number));
    ASSERT_TRUE(reader.In(in));
    ASSERT_TRUE(reader.OStr(empty));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(path.value, u"\\Storage Card\\Backup\\");
    EXPECT_EQ(name.value, u"名字");
    EXPECT_FALSE(missing.present);
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_TRUE(out.present);
    EXPECT_FALSE(out.hasData);
    EXPECT_EQ(out.size, 8u);
    ASSERT_TRUE(opt.hasData);
    EXPECT_EQ(std::memcmp(opt.data, blob, 5), 0);
    EXPECT_EQ(number.U32Or(0), 42u);
    EXPECT_EQ(out.U32Or(9), 9u);
    EXPECT_EQ(in.size, 2u);
    EXPECT_TRUE(empty.present);
    EXPECT_EQ(empty.value, u"");
    EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(WireReaderTest, ShortOrLyingRecordsFailAndStayFailed)
{
    using Read = bool (*)(WireReader&);
    const Read u32 = [](WireReader& r) { std::uint32_t v = 0; return r.U32(v); };
    const Read str = [](WireReader& r) { WireReader::Text t; return r.Str(t); };
    const Read ostr = [](WireReader& r) { WireReader::Text t; return r.OStr(t); };
    const Read opt = [](WireReader& r) { WireReader::Record b; return r.Opt(b); };
    const Read in = [](WireReader& r) { WireReader::Record b; return r.In(b); };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        Read read;
    };
    const Case cases[] = {
        {"truncated u32", {1, 0}, u32},
        {"Str count beyond the frame", Le({1, 0x7FFFFFFF}), str},
        {"Str count overflowing a byte size", Le({1, 0x80000001}), str},
        {"OStr odd byte size", {1, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 'A', 0, 0}, ostr},
        {"OStr data missing", Le({1, 8, 1}), ostr},
        {"Opt size beyond the frame", Le({1, 0xFFFFFFFF, 1}), opt},
        {"In size beyond the frame", Le({1, 5, 0}), in},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WireReader reader(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(c.read(reader));
        EXPECT_FALSE(reader.Ok());
        const std::uint8_t more[4] = {};
        WireReader fresh(more, sizeof(more));
        EXPECT_TRUE(u32(fresh));
        EXPECT_FALSE(u32(reader));  // a failed reader never reads on
    }
}

TEST(FrameDecoderTest, CutsFramesOutOfAStreamArrivingInPieces)
{
    WireWriter writer;
    for (std::uint32_t i = 0; i < 3; ++i) {
        writer.BeginFrame();
        for (std::uint32_t j = 0; j <= i; ++j) writer.U32(i * 10 + j);
        writer.EndFrame();
    }
    const auto stream = Bytes(writer);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, stream.size()}) {
        SCOPED_TRACE(piece);
        FrameDecoder decoder;
        std::vector<std::vector<std::uint8_t>> bodies;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            decoder.Append(stream.data() + at, std::min(piece, stream.size() - at));
            std::span<const std::uint8_t> body;
            while (decoder.Next(body) == FrameDecoder::Status::Ready) bodies.emplace_back(body.begin(), body.end());
        }
        ASSERT_EQ(bodies.size(), 3u);
        EXPECT_EQ(bodies[0], Le({0}));
        EXPECT_EQ(bodies[2], Le({20, 21, 22}));
        EXPECT_EQ(decoder.Buffered(), 0u);
    }
}

TEST(FrameDecoderTest, RefusesAFrameOverItsLimitForGood)
{
    FrameDecoder decoder(1024);
    const auto header = Le({1025});
    decoder.Append(header.data(), header.size());
    std::span<const std::uint8_t> body;
    EXPECT_EQ(decoder.Next(body), FrameDecoder::Status::Malformed);
    const auto fine = Le({4, 0});
    decoder.Append(fine.data(), fine.size());
    EXPECT_EQ(decoder.Next(body), FrameDecoder::Status::Malformed);
}

TEST(FrameDecoderTest, TakesAFrameOfExactlyTheLimitAndAnEmptyOne)
{
    FrameDecoder decoder(8);
    const auto bytes = Le({8, 1, 2, 0});
    decoder.Append(bytes.data(), bytes.size());
    std::span<const std::uint8_t> body;
    ASSERT_EQ(decoder.Next(body), FrameDecoder::Status::Ready);
    EXPECT_EQ(body.size(), 8u);
    ASSERT_EQ(decoder.Next(body), FrameDecoder::Status::Ready);
    EXPECT_EQ(body.size(), 0u);
    EXPECT_EQ(decoder.Next(body), FrameDecoder::Status::Incomplete);
}
