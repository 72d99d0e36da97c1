// The Windows platform layer apart from the registry: the instance lock left by an ended thread, ANSI text
// conversion, working directory and module handle.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/platform.h"

namespace {

bool tryFromOtherThread(platform::InstanceLock& lock, std::uint32_t timeoutMs, bool release = true) {
    bool got = false;
    std::thread other([&] {
        got = lock.lock(timeoutMs);
        if (got && release) lock.unlock();
    });
    other.join();
    return got;
}

TEST(InstanceLockWin32, ALockLeftByAnEndedThreadCanBeTakenAgain) {
    // Taken the fast way (the user-space word alone).
    platform::InstanceLock lock;
    ASSERT_TRUE(tryFromOtherThread(lock, 0, /*release=*/false));
    ASSERT_TRUE(lock.lock(1000));
    lock.unlock();

    // Taken through the Win32 mutex (the ended thread had waited in line): the mutex is abandoned too.
    ASSERT_TRUE(lock.lock(0));
    std::thread waiting([&] { ASSERT_TRUE(lock.lock(5000)); });  // ends without releasing
    Sleep(100);
    lock.unlock();
    waiting.join();
    ASSERT_TRUE(lock.lock(1000));
    lock.unlock();
    EXPECT_TRUE(tryFromOtherThread(lock, 1000));
}

TEST(TextConversionWin32, RoundTripsTheAnsiCodePageAndStopsAtTheLimit) {
    EXPECT_EQ(platform::toUtf16("C:\\Presets\\"), u"C:\\Presets\\");
    EXPECT_EQ(platform::fromUtf16(u"C:\\Presets\\", 257), "C:\\Presets\\");
    EXPECT_EQ(platform::fromUtf16(u"Bank one", 4), "Bank");
    EXPECT_EQ(platform::fromUtf16(u"ab\0cd", 5), "ab");
    EXPECT_EQ(platform::toUtf16(nullptr), u"");
    EXPECT_EQ(platform::fromUtf16(nullptr, 257), "");
    EXPECT_EQ(platform::fromUtf16(u"x", 0), "");

    if (GetACP() == 1252) {
        EXPECT_EQ(platform::toUtf16("Caf\xE9 \x80"), u"Caf\u00E9 \u20AC");
        EXPECT_EQ(platform::fromUtf16(u"Caf\u00E9 \u20AC", 257), "Caf\xE9 \x80");
    }
    const char* ansi = "M\xFCller \xE9t\xE9";
    EXPECT_EQ(platform::fromUtf16(platform::toUtf16(ansi).c_str(), 257), ansi);
}

TEST(CurrentDirectoryWin32, IsTheProcessDirectoryOrEmptyWhenTooLong) {
    char expected[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof expected, expected);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(platform::currentDirectory(256), length <= 256 ? std::string(expected) : std::string());
    EXPECT_EQ(platform::currentDirectory(length), expected);
    EXPECT_EQ(platform::currentDirectory(length - 1), "");
}

TEST(ModuleHandleWin32, IsTheModuleTheCodeIsLinkedInto) {
    // Here the platform layer is linked into the test program itself.
    EXPECT_EQ(platform::moduleHandle(), static_cast<void*>(GetModuleHandleW(nullptr)));
}

}  // namespace
