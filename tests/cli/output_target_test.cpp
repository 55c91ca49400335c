// What an output path names: descriptors by name, links followed to the
// file they name (relative ones from their own folder), devices, FIFOs and
// sockets written into, directories and link loops refused.
#include "output_target.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace lumo::cli {
namespace {

class OutputTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/lumotext-target-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Path(const std::string &name) const { return dir_ + "/" + name; }
    void Write(const std::string &name) { std::ofstream(Path(name)) << "text\n"; }

    OutputTarget Resolve(const std::string &path) {
        OutputTarget target;
        std::string error;
        EXPECT_TRUE(ResolveOutput(path, &target, &error)) << path << ": " << error;
        return target;
    }
    std::string Refusal(const std::string &path) {
        OutputTarget target;
        std::string error;
        EXPECT_FALSE(ResolveOutput(path, &target, &error)) << path;
        return error;
    }

    std::string dir_;
};

TEST_F(OutputTargetTest, DescriptorNamesAreTheirDescriptors) {
    const struct {
        const char *path;
        int descriptor;
    } rows[] = {{"/dev/stdout", 1}, {"/dev/stderr", 2}, {"/dev/fd/7", 7}, {"/proc/self/fd/3", 3}};
    for (const auto &row : rows) {
        const OutputTarget target = Resolve(row.path);
        EXPECT_EQ(target.kind, TargetKind::kDescriptor) << row.path;
        EXPECT_EQ(target.descriptor, row.descriptor) << row.path;
    }
    ASSERT_EQ(symlink("/dev/stdout", Path("out").c_str()), 0);
    const OutputTarget through = Resolve(Path("out"));
    EXPECT_EQ(through.kind, TargetKind::kDescriptor);
    EXPECT_EQ(through.descriptor, 1);
}

TEST_F(OutputTargetTest, ARegularFileIsReplacedWithItsModeAndOwner) {
    Write("memo.txt");
    ASSERT_EQ(chmod(Path("memo.txt").c_str(), 0640), 0);
    const OutputTarget target = Resolve(Path("memo.txt"));
    EXPECT_EQ(target.kind, TargetKind::kReplace);
    EXPECT_EQ(target.path, Path("memo.txt"));
    EXPECT_EQ(target.mode, 0640u);
    EXPECT_EQ(target.owner, geteuid());
    EXPECT_EQ(target.links, 1u);
    ASSERT_EQ(link(Path("memo.txt").c_str(), Path("other.txt").c_str()), 0);
    EXPECT_EQ(Resolve(Path("memo.txt")).links, 2u);
}

TEST_F(OutputTargetTest, LinksAreFollowedToTheFileTheyName) {
    ASSERT_EQ(mkdir(Path("sub").c_str(), 0700), 0);
    Write("sub/real.txt");
    ASSERT_EQ(symlink("real.txt", Path("sub/relative").c_str()), 0);  // from its own folder
    ASSERT_EQ(symlink("sub/relative", Path("chain").c_str()), 0);
    ASSERT_EQ(symlink(Path("chain").c_str(), Path("absolute").c_str()), 0);
    for (const char *name : {"sub/relative", "chain", "absolute"}) {
        const OutputTarget target = Resolve(Path(name));
        EXPECT_EQ(target.kind, TargetKind::kReplace) << name;
        EXPECT_EQ(target.path, Path("sub/real.txt")) << name;
    }
    ASSERT_EQ(symlink("sub/new.txt", Path("dangling").c_str()), 0);
    const OutputTarget dangling = Resolve(Path("dangling"));
    EXPECT_EQ(dangling.kind, TargetKind::kCreate);
    EXPECT_EQ(dangling.path, Path("sub/new.txt"));
}

TEST_F(OutputTargetTest, DevicesFifosAndSocketsAreWrittenInto) {
    EXPECT_EQ(Resolve("/dev/null").kind, TargetKind::kSpecial);
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(Resolve(Path("fifo")).kind, TargetKind::kSpecial);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = Path("socket");
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    socket_path.copy(address.sun_path, socket_path.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    const OutputTarget target = Resolve(socket_path);
    EXPECT_EQ(target.kind, TargetKind::kSpecial);
    EXPECT_TRUE(target.socket);
    close(listener);
}

TEST_F(OutputTargetTest, NothingThereIsCreated) {
    const OutputTarget target = Resolve(Path("new.txt"));
    EXPECT_EQ(target.kind, TargetKind::kCreate);
    EXPECT_EQ(target.path, Path("new.txt"));
}

TEST_F(OutputTargetTest, DirectoriesAndLinkLoopsAreRefused) {
    EXPECT_NE(Refusal(dir_).find("Is a directory"), std::string::npos);
    ASSERT_EQ(symlink("b", Path("a").c_str()), 0);
    ASSERT_EQ(symlink("a", Path("b").c_str()), 0);
    EXPECT_NE(Refusal(Path("a")).find("Too many levels of symbolic links"), std::string::npos);
}

}  // namespace
}  // namespace lumo::cli
