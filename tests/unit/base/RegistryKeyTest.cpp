// The registry key owner: what Open and Close return, and that every key it took is closed.
#include <gtest/gtest.h>

#include <utility>

#include "base/RegistryKey.h"

namespace {

bool IsOpenKey(HKEY key)
{
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(RegistryKeyTest, HoldsNothingAtFirst)
{
    RegistryKey holder;
    EXPECT_EQ(holder.Get(), nullptr);
    EXPECT_EQ(holder.Close(), ERROR_SUCCESS);
}

TEST(RegistryKeyTest, OpensAKeyAndClosesItOnce)
{
    RegistryKey holder;
    ASSERT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ), ERROR_SUCCESS);
    const HKEY key = holder.Get();
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(IsOpenKey(key));
    EXPECT_EQ(holder.Close(), ERROR_SUCCESS);
    EXPECT_EQ(holder.Get(), nullptr);
    EXPECT_FALSE(IsOpenKey(key));
    EXPECT_EQ(holder.Close(), ERROR_SUCCESS);
}

TEST(RegistryKeyTest, AFailedOpenGivesTheErrorAndKeepsTheKeyHeld)
{
    RegistryKey holder;
    ASSERT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ), ERROR_SUCCESS);
    const HKEY key = holder.Get();
    EXPECT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "HARDWARE\\NoSuchKeyOfMokacomm", KEY_READ),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(holder.Get(), key);
    EXPECT_TRUE(IsOpenKey(key));
}

TEST(RegistryKeyTest, OpeningAnotherKeyClosesTheOneHeld)
{
    RegistryKey holder;
    ASSERT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ), ERROR_SUCCESS);
    const HKEY first = holder.Get();
    ASSERT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_READ), ERROR_SUCCESS);
    EXPECT_FALSE(IsOpenKey(first));
    EXPECT_TRUE(IsOpenKey(holder.Get()));
}

// What became of the key held before does not change what the result says: the new key is open.
TEST(RegistryKeyTest, OpeningSucceedsWhateverTheCloseOfTheKeyHeldBeforeGives)
{
    RegistryKey holder;
    holder.Reset(reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x7FFF1234)));
    ASSERT_EQ(RegCloseKey(holder.Get()), ERROR_INVALID_HANDLE) << "a handle that is no key";
    EXPECT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ), ERROR_SUCCESS);
    EXPECT_TRUE(IsOpenKey(holder.Get()));
}

TEST(RegistryKeyTest, TheEndOfItsScopeClosesTheKeyAndKeepsTheLastError)
{
    HKEY key = nullptr;
    {
        RegistryKey holder;
        ASSERT_EQ(holder.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ), ERROR_SUCCESS);
        key = holder.Get();
        SetLastError(ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(IsOpenKey(key));
}

TEST(RegistryKeyTest, MovingHandsTheKeyOver)
{
    RegistryKey first;
    ASSERT_EQ(first.Open(HKEY_LOCAL_MACHINE, "HARDWARE", KEY_READ), ERROR_SUCCESS);
    const HKEY key = first.Get();
    RegistryKey second(std::move(first));
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.Get(), key);

    RegistryKey third;
    ASSERT_EQ(third.Open(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_READ), ERROR_SUCCESS);
    const HKEY replaced = third.Get();
    third = std::move(second);
    EXPECT_FALSE(IsOpenKey(replaced));
    EXPECT_EQ(third.Get(), key);
    EXPECT_TRUE(IsOpenKey(key));
}

} // namespace
