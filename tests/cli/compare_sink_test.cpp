// --check's comparison: the first line that differs, outputs longer and
// shorter than the input, and standard input compared from its recording
// without ever waiting for the reader that fills it.
#include "compare_sink.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace lumo::cli {
namespace {

// A source whose bytes a test hands in as it goes; 0 once closed.
class PushedSource final : public ByteSource {
public:
    explicit PushedSource(std::deque<std::string> *blocks) : blocks_(blocks) {}
    long long Read(char *data, size_t size, std::string *) override {
        if (blocks_->empty()) return 0;
        std::string &front = blocks_->front();
        const size_t n = std::min(size, front.size());
        front.copy(data, n);
        front.erase(0, n);
        if (front.empty()) blocks_->pop_front();
        return static_cast<long long>(n);
    }
    bool MoreWaiting() override { return true; }

private:
    std::deque<std::string> *blocks_;
};

struct Compared {
    bool differs;
    size_t line;
};

// The input in one piece, the output in the pieces given.
Compared Compare(const std::string &input, std::initializer_list<std::string> output) {
    std::deque<std::string> blocks{input};
    CompareSink sink(std::make_unique<PushedSource>(&blocks));
    std::string error;
    for (const std::string &piece : output) EXPECT_TRUE(sink.Write(piece, &error)) << error;
    EXPECT_TRUE(sink.Commit(&error)) << error;
    return {sink.differs(), sink.first_line()};
}

TEST(CompareSink, FindsTheFirstLineThatDiffers) {
    EXPECT_FALSE(Compare("a\nb\r\nc", {"a\nb", "\r\nc"}).differs);
    const Compared changed = Compare("a\nb\nc\n", {"a\nb\nX\n"});
    EXPECT_TRUE(changed.differs);
    EXPECT_EQ(changed.line, 3u);
    EXPECT_EQ(Compare("a\r\nb\r\n", {"a\r", "X"}).line, 1u);  // the second byte of a CR LF
    EXPECT_TRUE(Compare("a\n", {"a\nb\n"}).differs);          // longer output
    EXPECT_TRUE(Compare("a\nb\n", {"a\n"}).differs);          // shorter output
    EXPECT_FALSE(Compare("", {}).differs);
}

TEST(CompareSink, StandardInputIsComparedFromItsRecordingWithoutWaiting) {
    std::deque<std::string> blocks{"first line\n", "second line\n", "third\n"};
    std::shared_ptr<InputRecording> recording;
    std::unique_ptr<ByteSource> reader = RecordingSource(std::make_unique<PushedSource>(&blocks), &recording);
    CompareSink sink(ReplaySource(recording));
    std::string error;
    char buffer[64];
    // Output ahead of the input: the sink keeps it and waits for nothing.
    ASSERT_TRUE(sink.Write("first line\nsecond", &error));
    ASSERT_EQ(reader->Read(buffer, sizeof buffer, &error), 11);
    ASSERT_TRUE(sink.Write(" line\n", &error));
    ASSERT_EQ(reader->Read(buffer, sizeof buffer, &error), 12);
    ASSERT_EQ(reader->Read(buffer, sizeof buffer, &error), 6);
    ASSERT_TRUE(sink.Write("third\n", &error));
    ASSERT_EQ(reader->Read(buffer, sizeof buffer, &error), 0);
    ASSERT_TRUE(sink.Commit(&error));
    EXPECT_FALSE(sink.differs());
}

TEST(CompareSink, ADifferenceInStandardInputNamesItsLine) {
    std::deque<std::string> blocks{"one\ntwo\nthree\n"};
    std::shared_ptr<InputRecording> recording;
    std::unique_ptr<ByteSource> reader = RecordingSource(std::make_unique<PushedSource>(&blocks), &recording);
    CompareSink sink(ReplaySource(recording));
    std::string error;
    char buffer[64];
    while (reader->Read(buffer, sizeof buffer, &error) > 0) {
    }
    ASSERT_TRUE(sink.Write("one\ntwo\nthr", &error));
    ASSERT_TRUE(sink.Write("EE\n", &error));
    ASSERT_TRUE(sink.Commit(&error));
    EXPECT_TRUE(sink.differs());
    EXPECT_EQ(sink.first_line(), 3u);
}

}  // namespace
}  // namespace lumo::cli
