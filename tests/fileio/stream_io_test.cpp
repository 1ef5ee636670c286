// The byte streams: error codes and texts, the file stream's open modes and positions, the
// memory stream's growth and bounds.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fileio/file_stream_io.h"
#include "fileio/memory_stream_io.h"
#include "support/temp_dir.h"

namespace
{

// The base class's text composition, reached through the memory stream.
struct ErrorTextCase {
    DWORD code;
    const char *text;
};

TEST(StreamErrors, TextsOfEveryCode)
{
    const ErrorTextCase cases[] = {
        {0x00000000, "No error occured."},
        {0x896703EA, "Invalid arguments passed to this function."},
        {0x896707D1,
         "An invalid, or partially invalid pointer, intended for reading from, was passed to this function."},
        {0x896707D2, "An invalid, or partially invalid pointer, intended for writing to, was passed to this function."},
        {0x89670BB9, "No file is currently open, or ready for processing."},
        {0x89670BBA, "A stream from the location 'scenes/a.iwf' is currently already open within this object instance. "
                     "You must close this stream first."},
        {0x89670BBB, "Failed to open the specified stream 'scenes/a.iwf'."},
        {0x89670BBC, "Failed to seek to specified position within the stream 'scenes/a.iwf'."},
        {0x896703E8, "A generic or unknown error occured whilst processing the stream 'scenes/a.iwf'."},
        {0x89670BB8, "A generic or unknown error occured whilst processing the stream 'scenes/a.iwf'."},
        {0x896707D0, "A generic or unknown error occured whilst processing the stream 'scenes/a.iwf'."},
    };
    CZNMemoryStreamIO stream;
    for (const auto &c : cases) {
        stream.SetError(c.code, -1, "scenes/a.iwf");
        EXPECT_EQ(stream.GetLastErrorCode(), c.code);
        EXPECT_STREQ(stream.GetErrorText(), c.text) << std::hex << c.code;
    }
    stream.ClearError();
    EXPECT_EQ(stream.GetLastErrorCode(), 0u);
    EXPECT_STREQ(stream.GetErrorText(), "");
}

TEST(StreamErrors, SystemSentenceAndLongNames)
{
    CZNMemoryStreamIO stream;
    stream.SetError(0x89670BBB, ENOENT, "x.iwf");
    EXPECT_EQ(std::string(stream.GetErrorText()),
              std::string("Failed to open the specified stream 'x.iwf'. The operating system provided this additional "
                          "information : '") +
                  std::strerror(ENOENT) + "'.");

    std::string longName(3000, 'n');
    stream.SetError(0x89670BBC, ENOENT, longName.c_str());
    EXPECT_EQ(std::strlen(stream.GetErrorText()), 1023u);
    EXPECT_EQ(std::string(stream.GetErrorText()).rfind("Failed to seek", 0), 0u);
}

TEST(FileStream, OpenModes)
{
    ZnTempDir dir;
    std::string path = dir.File("a.bin");

    CZNFileStreamIO missing;
    EXPECT_FALSE(missing.Open(path.c_str(), ZNSTREAM_READ));
    EXPECT_EQ(missing.GetLastErrorCode(), 0x89670BB8u);
    EXPECT_FALSE(missing.Open(dir.Path().c_str(), ZNSTREAM_READ)) << "a folder is not a file";
    EXPECT_EQ(missing.GetLastErrorCode(), 0x89670BB8u);
    EXPECT_FALSE(missing.Open(nullptr, ZNSTREAM_READ));
    EXPECT_EQ(missing.GetLastErrorCode(), 0x896703EAu);

    {
        CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        ASSERT_TRUE(out.IsOpen());
        EXPECT_STREQ(out.GetName(), path.c_str());
        EXPECT_TRUE(out.Write("abcdef", 6));
    }
    EXPECT_EQ(ZnReadFile(path), "abcdef");

    { // Write alone on an existing file appends, even after a seek.
        CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE);
        ASSERT_TRUE(out.IsOpen());
        EXPECT_TRUE(out.SeekTo(0));
        EXPECT_TRUE(out.Write("gh", 2));
    }
    EXPECT_EQ(ZnReadFile(path), "abcdefgh");

    { // Write and create truncates.
        CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        EXPECT_TRUE(out.Write("xy", 2));
    }
    EXPECT_EQ(ZnReadFile(path), "xy");

    { // Read and write of an existing file keeps its contents.
        CZNFileStreamIO both(path.c_str(), ZNSTREAM_READWRITE);
        ASSERT_TRUE(both.IsOpen());
        EXPECT_TRUE(both.SeekTo(1));
        EXPECT_TRUE(both.Write("Z", 1));
    }
    EXPECT_EQ(ZnReadFile(path), "xZ");

    CZNFileStreamIO in(path.c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(in.IsOpen());
    EXPECT_FALSE(in.Open(path.c_str(), ZNSTREAM_READ));
    EXPECT_EQ(in.GetLastErrorCode(), 0x89670BBAu);
    EXPECT_NE(std::string(in.GetErrorText()).find("'" + path + "'"), std::string::npos);
    in.Close();
    EXPECT_FALSE(in.IsOpen());
    EXPECT_EQ(in.GetName(), nullptr);

    CZNFileStreamIO bad;
    std::string nowhere = dir.File("no/such/folder/x.iwf");
    EXPECT_FALSE(bad.Open(nowhere.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE));
    EXPECT_EQ(bad.GetLastErrorCode(), 0x89670BBBu);
    std::string expected = "Failed to open the specified stream '" + nowhere + "'.";
    EXPECT_EQ(std::string(bad.GetErrorText()).rfind(expected, 0), 0u);
    EXPECT_NE(std::string(bad.GetErrorText()).find("The operating system provided this additional information"),
              std::string::npos);
}

TEST(FileStream, ReadsPositionsAndEnd)
{
    ZnTempDir dir;
    std::string path = dir.File("r.bin");
    ZnWriteFile(path, "0123456789");
    CZNFileStreamIO in(path.c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(in.GetLength(), 10);
    char buffer[16] = {};
    EXPECT_EQ(in.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(in.Tell(), 4);
    EXPECT_EQ(in.Seek(-3, ZNSEEK_END), 7);
    EXPECT_EQ(in.Seek(1, ZNSEEK_CUR), 8);
    EXPECT_EQ(in.Read(buffer, 16), 2u) << "a short read at the end";
    EXPECT_EQ(in.GetLastErrorCode(), 0u);
    EXPECT_EQ(in.Read(buffer, 4), 0u);
    EXPECT_EQ(in.GetLastErrorCode(), 0u) << "the end is no error";
    EXPECT_TRUE(in.IsEOF());
    EXPECT_EQ(in.Seek(0, 7), -1);
    EXPECT_EQ(in.GetLastErrorCode(), 0x896703EAu);
    EXPECT_EQ(in.Seek(-20, ZNSEEK_SET), -1);
    EXPECT_EQ(in.GetLastErrorCode(), 0x89670BBCu);
    EXPECT_TRUE(in.SeekTo(-5)) << "a negative position is taken as 0";
    EXPECT_EQ(in.Tell(), 0);
    EXPECT_EQ(in.Read(nullptr, 4), 0u);
    EXPECT_FALSE(in.Write("x", 1)) << "a file opened for reading refuses writes";
    EXPECT_EQ(in.GetLastErrorCode(), 0x896703E8u);
}

TEST(FileStream, TextLines)
{
    ZnTempDir dir;
    std::string path = dir.File("t.txt");
    {
        CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE | ZNSTREAM_TEXT);
        EXPECT_TRUE(out.WriteString("first\n"));
        EXPECT_TRUE(out.WriteString("second"));
        EXPECT_FALSE(out.WriteString(nullptr));
        EXPECT_EQ(out.GetLastErrorCode(), 0x896703EAu);
    }
    CZNFileStreamIO in(path.c_str(), ZNSTREAM_READ | ZNSTREAM_TEXT);
    char line[32];
    EXPECT_TRUE(in.ReadString(line, sizeof line));
    EXPECT_STREQ(line, "first\n");
    EXPECT_TRUE(in.ReadString(line, 4));
    EXPECT_STREQ(line, "sec");
    EXPECT_TRUE(in.ReadString(line, sizeof line));
    EXPECT_STREQ(line, "ond");
    EXPECT_TRUE(in.ReadString(line, sizeof line));
    EXPECT_STREQ(line, "") << "at the end: true with an empty text";
    EXPECT_FALSE(in.ReadString(line, 0));
    EXPECT_EQ(in.GetLastErrorCode(), 0x896703EAu);
}

TEST(FileStream, LengthsAndPositionsBeyondFourGiB)
{
    ZnTempDir dir;
    std::string path = dir.File("big.bin");
    CZNFileStreamIO io(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE | ZNSTREAM_READWRITE);
    ASSERT_TRUE(io.IsOpen());
    const int64_t big = (int64_t(5) << 30) + 7;
    ASSERT_TRUE(io.SetLength(big)); // sparse
    EXPECT_EQ(io.GetLength(), big);
    EXPECT_EQ(io.Seek(big - 3, ZNSEEK_SET), big - 3);
    EXPECT_EQ(io.Tell(), big - 3);
    EXPECT_EQ(io.Seek(-1, ZNSEEK_END), big - 1);
    EXPECT_TRUE(io.SetLength(4));
    EXPECT_EQ(io.GetLength(), 4);
}

TEST(FileStream, WriteErrorsShowAtFlushAndClose)
{
    CZNFileStreamIO full("/dev/full", ZNSTREAM_WRITE | ZNSTREAM_CREATE);
    ASSERT_TRUE(full.IsOpen());
    EXPECT_TRUE(full.Write("0123456789", 10)) << "still in the runtime's buffer";
    EXPECT_FALSE(full.Flush());
    EXPECT_EQ(full.GetLastErrorCode(), 0x896703E8u);
    EXPECT_NE(std::string(full.GetErrorText()).find("'/dev/full'"), std::string::npos);
    EXPECT_TRUE(full.Write("0123456789", 10));
    full.Close();
    EXPECT_EQ(full.GetLastErrorCode(), 0x896703E8u);
    EXPECT_FALSE(full.IsOpen());
}

TEST(Streams, ClosedStreamsRefuseEverything)
{
    CZNFileStreamIO file;
    CZNMemoryStreamIO memory;
    CZNStreamIO *streams[] = {&file, &memory};
    for (CZNStreamIO *s : streams) {
        char byte = 0;
        EXPECT_FALSE(s->IsOpen());
        EXPECT_EQ(s->Read(&byte, 1), 0u);
        EXPECT_EQ(s->GetLastErrorCode(), 0x89670BB9u);
        s->ClearError();
        EXPECT_FALSE(s->Write(&byte, 1));
        EXPECT_EQ(s->GetLastErrorCode(), 0x89670BB9u);
        s->ClearError();
        EXPECT_EQ(s->Seek(0, ZNSEEK_SET), -1);
        EXPECT_EQ(s->GetLastErrorCode(), 0x89670BB9u);
        EXPECT_FALSE(s->SeekTo(0));
        EXPECT_FALSE(s->SetLength(0));
        EXPECT_TRUE(s->Flush());
        s->Close(); // closing a closed stream does nothing
    }
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_EQ(file.GetLength(), -1);
    EXPECT_STREQ(memory.GetName(), "Memory Buffer");
}

TEST(MemoryStream, ReadsBorrowedBlockInPlace)
{
    BYTE block[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    CZNMemoryStreamIO in(block, sizeof block, ZNSTREAM_READ, false);
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(in.GetBuffer(), block);
    EXPECT_EQ(in.GetLength(), 12);
    ASSERT_TRUE(in.SeekTo(8));
    BYTE out[10] = {};
    EXPECT_EQ(in.Read(out, 10), 4u) << "10 asked, 4 left";
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[3], 12);
    EXPECT_EQ(in.Tell(), 12);
    EXPECT_TRUE(in.IsEOF());
    EXPECT_EQ(in.Read(out, 1), 0u);
    EXPECT_EQ(in.GetLastErrorCode(), 0u);

    // No seeking past the end of a stream opened for reading, nor before its start.
    EXPECT_EQ(in.Seek(13, ZNSEEK_SET), -1);
    EXPECT_EQ(in.GetLastErrorCode(), 0x89670BBCu);
    EXPECT_EQ(in.Tell(), 12);
    EXPECT_EQ(in.Seek(-13, ZNSEEK_CUR), -1);
    EXPECT_EQ(in.GetLastErrorCode(), 0x89670BBCu);
    EXPECT_EQ(in.Tell(), 12);
    EXPECT_EQ(in.Seek(-4, ZNSEEK_END), 8) << "origin 2 counts from the end, as for files";
    EXPECT_EQ(in.Seek(2, ZNSEEK_CUR), 10);
    EXPECT_EQ(in.Seek(1, 3), -1) << "unknown origin";
    EXPECT_EQ(in.GetLastErrorCode(), 0x896703EAu);
    EXPECT_EQ(in.Tell(), 10);
    EXPECT_FALSE(in.ReadString(reinterpret_cast<char *>(out), 4));
    EXPECT_FALSE(in.WriteString("x"));

    EXPECT_FALSE(in.Open(block, 4, ZNSTREAM_READ, false));
    EXPECT_EQ(in.GetLastErrorCode(), 0x89670BBAu);
    EXPECT_STREQ(in.GetErrorText(), "A stream from the location 'Memory Buffer' is currently already open within "
                                    "this object instance. You must close this stream first.");

    // Growing a borrowed block moves the data into a block of the stream's own; the caller's
    // block is neither freed nor resized (ASan would see either).
    ASSERT_TRUE(in.SeekTo(10));
    EXPECT_TRUE(in.Write("\x63\x64\x65\x66", 4));
    EXPECT_NE(in.GetBuffer(), block);
    EXPECT_EQ(in.GetLength(), 14);
    EXPECT_EQ(in.GetBuffer()[0], 1);
    EXPECT_EQ(in.GetBuffer()[13], 0x66);
    EXPECT_EQ(block[10], 11) << "the caller's block is untouched after the move";

    CZNMemoryStreamIO nothing;
    EXPECT_FALSE(nothing.Open(nullptr, 4, ZNSTREAM_READ, false));
    EXPECT_EQ(nothing.GetLastErrorCode(), 0x896703EAu);
}

TEST(MemoryStream, CopiedBlockIsOwned)
{
    std::vector<BYTE> source = {5, 6, 7};
    CZNMemoryStreamIO in(source.data(), 3, ZNSTREAM_READ, true);
    ASSERT_TRUE(in.IsOpen());
    EXPECT_NE(in.GetBuffer(), source.data());
    source[0] = 99;
    BYTE b = 0;
    EXPECT_EQ(in.Read(&b, 1), 1u);
    EXPECT_EQ(b, 5);
}

TEST(MemoryStream, WritesGrowAndCompact)
{
    CZNMemoryStreamIO out(nullptr, 0, ZNSTREAM_WRITE, false);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_EQ(out.GetLength(), 0);
    const char twelve[] = "abcdefghijkl";
    EXPECT_TRUE(out.Write(twelve, 12));
    ASSERT_TRUE(out.SeekTo(10));
    EXPECT_TRUE(out.Write("ABCDEFGH", 8));
    EXPECT_EQ(out.GetLength(), 18);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(out.GetBuffer()), 18), "abcdefghijABCDEFGH");

    // A seek past the end of a writing stream grows it to the target.
    EXPECT_EQ(out.Seek(250000, ZNSEEK_SET), 250000);
    EXPECT_EQ(out.GetLength(), 250000);
    EXPECT_TRUE(out.Write("z", 1));
    EXPECT_EQ(out.GetLength(), 250001);

    // Cutting the length 300000 bytes below the capacity compacts the block; the position
    // follows the end.
    std::vector<BYTE> big(400000, 0x5A);
    ASSERT_TRUE(out.SeekTo(0));
    ASSERT_TRUE(out.Write(big.data(), static_cast<DWORD>(big.size())));
    ASSERT_TRUE(out.SetLength(100000));
    EXPECT_EQ(out.GetLength(), 100000);
    EXPECT_EQ(out.Tell(), 100000);
    EXPECT_EQ(out.GetBuffer()[99999], 0x5A);
    ASSERT_TRUE(out.SetLength(-5));
    EXPECT_EQ(out.GetLength(), 0);
    EXPECT_TRUE(out.Compact());

    // The caller takes the block over.
    ASSERT_TRUE(out.Write("keep", 4));
    BYTE *taken = out.GetBuffer();
    out.SetOwnsBuffer(false);
    out.Close();
    EXPECT_EQ(std::string(reinterpret_cast<char *>(taken), 4), "keep");
    std::free(taken);

    CZNMemoryStreamIO unopened(nullptr, 0, 0, false);
    EXPECT_FALSE(unopened.IsOpen()) << "no flags: no block";
    EXPECT_FALSE(unopened.Compact());
}

TEST(MemoryStream, GrownRangesReadAsZeros)
{
    // The block is reused dirty: fill it, cut it back, then grow it again both ways.
    CZNMemoryStreamIO out(nullptr, 0, ZNSTREAM_WRITE, false);
    std::vector<BYTE> dirty(300, 0xEE);
    ASSERT_TRUE(out.Write(dirty.data(), static_cast<DWORD>(dirty.size())));
    ASSERT_TRUE(out.SetLength(10));
    ASSERT_TRUE(out.SetLength(110)); // grown by 100 bytes
    for (int i = 10; i < 110; ++i)
        ASSERT_EQ(out.GetBuffer()[i], 0) << "byte " << i;

    ASSERT_TRUE(out.SetLength(20));
    ASSERT_EQ(out.Seek(200, ZNSEEK_SET), 200);
    ASSERT_TRUE(out.Write("x", 1));
    for (int i = 20; i < 200; ++i)
        ASSERT_EQ(out.GetBuffer()[i], 0) << "byte " << i;
    EXPECT_EQ(out.GetBuffer()[200], 'x');
}

} // namespace
