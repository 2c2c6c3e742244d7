// Binding the bridge library: all or nothing, and a library that cannot be used is let go.
#include <string>

#include <gtest/gtest.h>

#include "canlink/BridgeLibrary.h"
#include "platform/SharedLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>

#endif

using canlink::Bridge;
using canlink::BridgeLibrary;
using canlink::LoadBridgeLibrary;

namespace {

// Asks the system's loader, not the binding, whether the library is in the process.
bool IsLoaded(const std::string& path) {
#ifdef _WIN32
    return GetModuleHandleA(path.substr(path.find_last_of("\\/") + 1).c_str()) != nullptr;
#else
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library) {
        dlclose(library);
    }
    return library != nullptr;
#endif
}

class Binding : public testing::Test {
protected:
    void SetUp() override { Bridge() = BridgeLibrary(); }
    void TearDown() override { Bridge() = BridgeLibrary(); }
};

TEST_F(Binding, IncompleteLibraryIsRefusedByItsMissingEntryPointAndUnloaded) {
    const std::string path = TOLVIK_PARTIAL_BRIDGE;
    {
        const platform::SharedLibrary held = platform::OpenSharedLibrary(path, nullptr);
        ASSERT_TRUE(held);
        ASSERT_TRUE(IsLoaded(path)) << "the probe sees a library that is held";
    }
    ASSERT_FALSE(IsLoaded(path)) << "and one that is not";

    std::string error;
    EXPECT_FALSE(LoadBridgeLibrary(path, &error));
    EXPECT_EQ(error,
              "The bridge library " + path + " cannot be used: entry point CAN_SetNodeState is missing.");
    EXPECT_FALSE(Bridge().IsBound());
    EXPECT_FALSE(IsLoaded(path)) << "a refused library is not left in the process";
}

TEST_F(Binding, CompleteLibraryIsBoundWholeAndStaysLoaded) {
    const std::string path = TOLVIK_BENCH_LIBRARY;
    std::string error;
    ASSERT_TRUE(LoadBridgeLibrary(path, &error)) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(Bridge().IsBound());
    EXPECT_TRUE(IsLoaded(path)) << "the library's thread may outlive the dialog";
}

}  // namespace
