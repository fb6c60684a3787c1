#include "core/files/DescriptorIo.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace albumora {
namespace {

std::atomic<int> g_signalsHandled{0};

void CountSignal(int) {
    g_signalsHandled.fetch_add(1);
}

// SIGUSR1 with a handler installed without SA_RESTART, so that a blocked read or write it hits comes
// back early (EINTR, or a short count) instead of being restarted by the kernel.
class InterruptingSignal {
public:
    InterruptingSignal() {
        struct sigaction action {};
        action.sa_handler = CountSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        ::sigaction(SIGUSR1, &action, &m_previous);
    }
    ~InterruptingSignal() { ::sigaction(SIGUSR1, &m_previous, nullptr); }
    InterruptingSignal(const InterruptingSignal&) = delete;
    InterruptingSignal& operator=(const InterruptingSignal&) = delete;

private:
    struct sigaction m_previous {};
};

struct Pipe {
    Pipe() { EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0); }
    ~Pipe() {
        CloseWriteEnd();
        ::close(fds[0]);
    }
    void CloseWriteEnd() {
        if (fds[1] >= 0) {
            ::close(fds[1]);
            fds[1] = -1;
        }
    }
    int fds[2] = {-1, -1};
};

// The kernel's state of another thread is no condition one can wait on, so it is looked at again
// and again; the test's own time-out ends a wait that never comes true.
void WaitUntil(const std::function<bool()>& condition) {
    while (!condition()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The kernel reports a thread's system call only while the thread sleeps in it: for the thread
// below, that is a read of an empty pipe or a write to a full one.
bool SleepsIn(pid_t thread, long call) {
    std::ifstream file("/proc/self/task/" + std::to_string(thread) + "/syscall");
    long number = -1;
    return (file >> number) && number == call;
}

// Interrupts `thread` while it sleeps in `call`, and waits until it sleeps there again or has
// finished. Only a handler that has run proves that the sleep was cut short.
void InterruptOnce(pthread_t handle, pid_t thread, long call, const std::atomic<bool>& finished) {
    WaitUntil([&] { return finished || SleepsIn(thread, call); });
    ASSERT_FALSE(finished) << "the thread finished before it could be interrupted";
    const int before = g_signalsHandled.load();
    ASSERT_EQ(::pthread_kill(handle, SIGUSR1), 0);
    WaitUntil([&] { return g_signalsHandled.load() > before; });
    WaitUntil([&] { return finished || SleepsIn(thread, call); });
}

int Unread(int fd) {
    int count = -1;
    return ::ioctl(fd, FIONREAD, &count) == 0 ? count : -1;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 % 251);
    }
    return bytes;
}

TEST(DescriptorIo, WriteAllGoesOnAfterAShortWriteAndAfterAnInterruptedOne) {
    const InterruptingSignal signal;
    Pipe pipe;
    const std::size_t capacity = static_cast<std::size_t>(::fcntl(pipe.fds[1], F_GETPIPE_SZ));
    const std::string payload = Pattern(3 * capacity + 123);

    std::atomic<pid_t> writerId{0};
    std::atomic<bool> finished{false};
    bool written = false;
    int writeError = 0;
    std::thread writer([&] {
        writerId = ::gettid();
        written = WriteAll(pipe.fds[1], payload);
        writeError = errno;
        pipe.CloseWriteEnd();
        finished = true;
    });
    WaitUntil([&] { return writerId.load() != 0; });
    const pthread_t handle = writer.native_handle();

    // The first write has filled the pipe when it sleeps: the signal makes it return that part.
    InterruptOnce(handle, writerId, SYS_write, finished);
    // The next write finds the pipe still full and copies nothing: the signal makes it fail with EINTR.
    InterruptOnce(handle, writerId, SYS_write, finished);

    std::string received;
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipe.fds[0], chunk, sizeof chunk)) != 0;) {
        ASSERT_GT(n, 0) << std::strerror(errno);
        received.append(chunk, static_cast<std::size_t>(n));
    }
    writer.join();
    EXPECT_TRUE(written) << std::strerror(writeError);
    EXPECT_EQ(received.size(), payload.size());
    EXPECT_TRUE(received == payload) << "the bytes arrived out of order";
}

TEST(DescriptorIo, ReadFullyGoesOnAfterAnInterruptedReadAndAShortOneUntilTheEnd) {
    const InterruptingSignal signal;
    Pipe pipe;
    const std::string payload = Pattern(5000);

    std::atomic<pid_t> readerId{0};
    std::atomic<bool> finished{false};
    // Room for more than comes: only the end of the file ends the read.
    std::string buffer(payload.size() + 100, '\0');
    ReadResult result;
    std::thread reader([&] {
        readerId = ::gettid();
        result = ReadFully(pipe.fds[0], buffer.data(), buffer.size());
        finished = true;
    });
    WaitUntil([&] { return readerId.load() != 0; });

    // The pipe is empty: the signal makes the read fail with EINTR.
    InterruptOnce(reader.native_handle(), readerId, SYS_read, finished);
    // Part of the bytes: the read returns them, and only once they are taken and the next read waits
    // does the rest come.
    ASSERT_TRUE(WriteAll(pipe.fds[1], std::string_view(payload).substr(0, 2000)));
    WaitUntil([&] { return finished || (Unread(pipe.fds[0]) == 0 && SleepsIn(readerId, SYS_read)); });
    ASSERT_TRUE(WriteAll(pipe.fds[1], std::string_view(payload).substr(2000)));
    pipe.CloseWriteEnd();
    reader.join();

    EXPECT_FALSE(result.failed);
    ASSERT_EQ(result.count, payload.size());
    EXPECT_TRUE(buffer.compare(0, payload.size(), payload) == 0) << "the bytes arrived out of order";
}

TEST(DescriptorIo, AFailureEndsTheLoopWithItsErrno) {
    Pipe pipe;
    // Each end of a pipe refuses the other direction.
    EXPECT_FALSE(WriteAll(pipe.fds[0], "x"));
    EXPECT_EQ(errno, EBADF);
    char buffer[8];
    const ReadResult result = ReadFully(pipe.fds[1], buffer, sizeof buffer);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(result.count, 0u);
}

}  // namespace
}  // namespace albumora
