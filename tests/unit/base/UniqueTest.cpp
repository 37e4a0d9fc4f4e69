// The one owner pattern, through the kernel handle owners, whose close function can be watched:
// each owner knows its own "none", gives back what it holds once, with the function it was given,
// and keeps the thread's last error unless it is asked how the giving back went.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/Handles.h"
#include "base/HeapText.h"

namespace {

std::vector<HANDLE> closed;

BOOL WINAPI RecordingClose(HANDLE handle)
{
    closed.push_back(handle);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI FailingClose(HANDLE handle)
{
    closed.push_back(handle);
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HANDLE Fake(UINT_PTR value)
{
    return reinterpret_cast<HANDLE>(value);
}

class UniqueTest : public ::testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueTest, EachKindOfHandleHasItsOwnNone)
{
    EXPECT_EQ(KernelHandle().Get(), nullptr);
    EXPECT_EQ(FileHandle().Get(), INVALID_HANDLE_VALUE);
    {
        KernelHandle event(nullptr, RecordingClose);
        FileHandle file(INVALID_HANDLE_VALUE, RecordingClose);
        EXPECT_FALSE(event);
        EXPECT_FALSE(file);
    }
    EXPECT_TRUE(closed.empty()) << "no owner closes its own none";

    {
        // Each kind's none is a handle to the other: a null file handle is held, and closed.
        FileHandle file(nullptr, RecordingClose);
        EXPECT_TRUE(file);
    }
    EXPECT_EQ(closed, std::vector<HANDLE>{nullptr});
}

TEST_F(UniqueTest, WhatIsHeldIsClosedOnceWithTheFunctionItCameWith)
{
    {
        KernelHandle first(Fake(0x10), RecordingClose);
        first.Reset(Fake(0x20));
        EXPECT_EQ(closed, std::vector<HANDLE>{Fake(0x10)});
        EXPECT_EQ(first.Release(), Fake(0x20));
        EXPECT_FALSE(first);
    }
    EXPECT_EQ(closed, std::vector<HANDLE>{Fake(0x10)}) << "a released handle is the caller's";
}

TEST_F(UniqueTest, CleanupKeepsTheLastError)
{
    SetLastError(ERROR_ACCESS_DENIED);
    {
        KernelHandle handle(Fake(0x10), FailingClose);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    KernelHandle reset(Fake(0x20), FailingClose);
    SetLastError(ERROR_ACCESS_DENIED);
    reset.Reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(closed, (std::vector<HANDLE>{Fake(0x10), Fake(0x20)}));
}

TEST_F(UniqueTest, CloseReportsTheResultAndItsError)
{
    FileHandle file(Fake(0x10), FailingClose);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(file);
    EXPECT_TRUE(file.Close()) << "nothing left to close";
    EXPECT_EQ(closed, std::vector<HANDLE>{Fake(0x10)});
}

TEST_F(UniqueTest, MovingHandsOverTheHandleAndItsCloseFunction)
{
    KernelHandle first(Fake(0x10), RecordingClose);
    KernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), Fake(0x10));

    KernelHandle third(Fake(0x20), FailingClose);
    third = std::move(second);
    EXPECT_EQ(closed, std::vector<HANDLE>{Fake(0x20)}) << "the handle it held, closed its own way";
    EXPECT_TRUE(third.Close()) << "closed with the function the moved handle came with";
    EXPECT_EQ(closed, (std::vector<HANDLE>{Fake(0x20), Fake(0x10)}));
}

TEST(HeapTextTest, HoldsAnEmptyTextOfTheSizeAskedOrNone)
{
    HeapText<wchar_t> none;
    EXPECT_FALSE(none);
    HeapText<wchar_t> text(32);
    ASSERT_TRUE(text);
    EXPECT_EQ(text.Get()[0], L'\0');
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, text.Get()), 32 * sizeof(wchar_t));

    HeapText<wchar_t> taken;
    taken.Reset(text.Release());
    EXPECT_FALSE(text);
    EXPECT_TRUE(taken);
}

// A block of 0 bytes has no room for the NUL; a size whose bytes wrap round would give a block
// far smaller than asked, which the caller then writes past.
TEST(HeapTextTest, HoldsNoneForNoCharactersOrMoreBytesThanCanBeCounted)
{
    EXPECT_FALSE(HeapText<char>(0));
    EXPECT_FALSE(HeapText<wchar_t>(0));
    const SIZE_T wrapping = static_cast<SIZE_T>(-1) / sizeof(wchar_t) + 2;
    EXPECT_FALSE(HeapText<wchar_t>(wrapping)) << "would be " << wrapping * sizeof(wchar_t)
                                              << " bytes";
    EXPECT_TRUE(HeapText<char>(1));
}

} // namespace
