#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "ShellCommand.h"
#include "qelImgBufferIOStream.h"
#include "qelImgErrorHandler.h"
#include "qelImgJPEGBufferSrc.h"
#include "qelImgJPEGShim.h"
#include "qelImgJPEGStreamDest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

using namespace imgtest;
using lrbtest::Bytes;

namespace {

// Runs one library call under the shim, then the check that throws what
// the call left pending.
void step(qelImgJPEGError* err, void (*call)(void*), void* context, const char* function)
{
    qelImgJPEGShim_run(err, call, context);
    qelImgErrorHandler::checkJPEGError("ImgJPEGTest", function, -1);
}

// A stream that keeps the size of every write.
class RecordingStream : public qelImgBufferIOStream
{
public:
    RecordingStream() : qelImgBufferIOStream("jpeg", 2) {}
    int write(const void* data, unsigned int count) override
    {
        writes.push_back(count);
        return qelImgBufferIOStream::write(data, count);
    }
    std::vector<unsigned int> writes;
};

// Compresses a 200 x 100 RGB noise image with a comment of the given length.
struct Encoder
{
    qelImgJPEGError err;
    jpeg_compress_struct cinfo;
    qelImgIOStream* stream = nullptr;
    std::vector<unsigned char> row = std::vector<unsigned char>(600);
    std::vector<unsigned char> comment;
    unsigned int seed = 7;

    void run()
    {
        cinfo.err = qelImgErrorHandler::qelImgJPEGErrorMgr(&err);
        step(&err, [](void* p) { jpeg_create_compress(&static_cast<Encoder*>(p)->cinfo); }, this, "create");
        try {
            steps();
        } catch (...) {
            jpeg_destroy_compress(&cinfo);
            throw;
        }
        jpeg_destroy_compress(&cinfo);
    }

    void steps()
    {
        step(&err, [](void* p) {
            auto* e = static_cast<Encoder*>(p);
            qelImgJPEGStreamDest::qelImg_stream_destmgr_setup(&e->cinfo, e->stream);
            e->cinfo.image_width = 200;
            e->cinfo.image_height = 100;
            e->cinfo.input_components = 3;
            e->cinfo.in_color_space = JCS_RGB;
            jpeg_set_defaults(&e->cinfo);
            jpeg_set_quality(&e->cinfo, 90, TRUE);
            jpeg_start_compress(&e->cinfo, TRUE);
            if (!e->comment.empty())
                jpeg_write_marker(&e->cinfo, JPEG_COM, e->comment.data(), static_cast<unsigned int>(e->comment.size()));
        }, this, "start");
        while (cinfo.next_scanline < cinfo.image_height) {
            for (unsigned char& b : row)
                b = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
            step(&err, [](void* p) {
                auto* e = static_cast<Encoder*>(p);
                JSAMPROW rows[] = {e->row.data()};
                jpeg_write_scanlines(&e->cinfo, rows, 1);
            }, this, "write");
        }
        step(&err, [](void* p) { jpeg_finish_compress(&static_cast<Encoder*>(p)->cinfo); }, this, "finish");
    }
};

// Decodes a block through the memory source; the rows read.
struct Decoder
{
    qelImgJPEGError err;
    jpeg_decompress_struct cinfo;
    const Bytes* data = nullptr;
    std::vector<unsigned char> row;
    int rows = 0;

    int run(const Bytes& bytes)
    {
        data = &bytes;
        cinfo.err = qelImgErrorHandler::qelImgJPEGErrorMgr(&err);
        step(&err, [](void* p) { jpeg_create_decompress(&static_cast<Decoder*>(p)->cinfo); }, this, "create");
        try {
            steps();
        } catch (...) {
            jpeg_destroy_decompress(&cinfo);
            throw;
        }
        jpeg_destroy_decompress(&cinfo);
        return rows;
    }

    void steps()
    {
        step(&err, [](void* p) {
            auto* d = static_cast<Decoder*>(p);
            qelImgJPEGBufferSrc::qelImg_buffer_src_setup(&d->cinfo, d->data->data(), static_cast<int>(d->data->size()));
            jpeg_read_header(&d->cinfo, TRUE);
        }, this, "readHeader()->jpeg_read_header()");
        step(&err, [](void* p) { jpeg_start_decompress(&static_cast<Decoder*>(p)->cinfo); }, this, "start");
        row.resize(static_cast<size_t>(cinfo.output_width) * static_cast<size_t>(cinfo.output_components));
        while (cinfo.output_scanline < cinfo.output_height) {
            step(&err, [](void* p) {
                auto* d = static_cast<Decoder*>(p);
                JSAMPROW rows[] = {d->row.data()};
                d->rows += static_cast<int>(jpeg_read_scanlines(&d->cinfo, rows, 1));
            }, this, "readNextLine()->jpeg_read_scanlines()");
        }
        step(&err, [](void* p) { jpeg_finish_decompress(&static_cast<Decoder*>(p)->cinfo); }, this, "finish");
    }
};

class ImgJPEG : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgErrorHandler::reset();
    }

    // Compresses into a recording stream; the bytes written.
    Bytes compress(RecordingStream& stream, size_t commentLength)
    {
        EXPECT_EQ(stream.open(), 1);
        Encoder encoder;
        encoder.stream = &stream;
        encoder.comment.assign(commentLength, 'c');
        encoder.run();
        char* data = nullptr;
        unsigned int size = 0;
        stream.getBuffer(&data, &size, false);
        Bytes bytes(data, data + size);
        delete[] data;
        return bytes;
    }
};

TEST_F(ImgJPEG, DestinationWritesStepsOf8192AndTheRest)
{
    RecordingStream plain;
    const Bytes bytes = compress(plain, 0);
    const size_t total = bytes.size();
    ASSERT_GT(total, 2u * 8192);
    ASSERT_NE(total % 8192, 0u);
    EXPECT_EQ(std::accumulate(plain.writes.begin(), plain.writes.end(), size_t(0)), total);
    EXPECT_EQ(plain.writes.size(), total / 8192 + 1);
    EXPECT_TRUE(std::all_of(plain.writes.begin(), plain.writes.end() - 1, [](unsigned int n) { return n == 8192; }));
    EXPECT_EQ(plain.writes.back(), total % 8192);

    ASSERT_TRUE(lrbtest::haveCommand("djpeg"));
    const std::string path = writeFile("noise.jpg", bytes);
    const std::string ppm = lrbtest::commandOutput("djpeg -pnm " + lrbtest::shellQuote(path) + " 2>&1");
    EXPECT_EQ(ppm.rfind("P6\n200 100\n255\n", 0), 0u) << ppm.substr(0, 80);
    EXPECT_EQ(ppm.size(), 15 + 200 * 100 * 3u);

    // A comment that makes the data a multiple of 8192: no write at the end.
    RecordingStream exact;
    const size_t padded = total + 4 + 8192 - (total + 4) % 8192;
    EXPECT_EQ(compress(exact, padded - total - 4).size(), padded);
    EXPECT_EQ(exact.writes, std::vector<unsigned int>(padded / 8192, 8192));
}

TEST_F(ImgJPEG, DestinationFailuresThrowAddOnTexts)
{
    const struct
    {
        bool open;
        bool haveStream;
        const char* text;
    } cases[] = {
        {true, false, "OIL044: JPEG Library Error: E1008: Output stream is null(Lib: LibJPEG, Function: start, "
                      "Class: ImgJPEGTest, rc=-1)"},
        // A stream that takes no bytes: the lost write fails the call.
        {false, true, "OIL044: JPEG Library Error: E1004: Error occured while writing Jpeg data(Lib: LibJPEG, "
                      "Function: write, Class: ImgJPEGTest, rc=-1)"},
    };
    for (const auto& c : cases) {
        RecordingStream stream;
        if (c.open)
            stream.open();
        Encoder encoder;
        encoder.stream = c.haveStream ? &stream : nullptr;
        Thrown t = thrown([&] { encoder.run(); });
        EXPECT_EQ(t.id, 44);
        EXPECT_EQ(t.message, c.text);
        EXPECT_EQ(qelImgErrorHandler::getPendingError(), nullptr);
    }
}

TEST_F(ImgJPEG, MemorySourceReportsTruncatedAndOverrunData)
{
    const Bytes jpeg = containerData(fopImages(), 1);
    ASSERT_EQ(jpeg.size(), 2326u);
    Decoder whole;
    EXPECT_GT(whole.run(jpeg), 0);

    // Cut inside the entropy-coded data after the start of scan.
    const Bytes sos = {0xFF, 0xDA};
    const auto scan = std::search(jpeg.begin(), jpeg.end(), sos.begin(), sos.end());
    ASSERT_NE(scan, jpeg.end());
    const size_t cut = (static_cast<size_t>(scan - jpeg.begin()) + jpeg.size()) / 2;
    Decoder truncated;
    Thrown t = thrown([&] { truncated.run(Bytes(jpeg.begin(), jpeg.begin() + static_cast<long>(cut))); });
    EXPECT_EQ(t.id, 44);
    EXPECT_EQ(t.message, "OIL044: JPEG Library Error: Premature end of JPEG file(Lib: LibJPEG, Function: "
                         "readNextLine()->jpeg_read_scanlines(), Class: ImgJPEGTest, rc=-1)");

    // The first segment's length reaches past the end of the block.
    Bytes overrun = jpeg;
    ASSERT_EQ(overrun[2], 0xFF);
    overrun[4] = 0x20;
    overrun[5] = 0x00;
    Decoder skipping;
    t = thrown([&] { skipping.run(overrun); });
    EXPECT_EQ(t.id, 44);
    EXPECT_EQ(t.message, "OIL044: JPEG Library Error: E1007: Reading bytes beyond the bounds(Lib: LibJPEG, "
                         "Function: readHeader()->jpeg_read_header(), Class: ImgJPEGTest, rc=-1)");
}

} // namespace
