// The records shared with the installer. On the 32-bit target every offset is asserted at compile
// time in UnzipApi.h (the DLL and the Wine tests build it); this checks what holds on every
// target, so a field moved or resized in the native build is caught too.
#include <gtest/gtest.h>

#include <cstddef>

#include "unzip/UnzipApi.h"

namespace {

TEST(ApiLayoutTest, ParamsFieldsKeepTheirOrderAndWidths) {
  EXPECT_EQ(offsetof(UnzipParams, Reserved0), 0u);
  EXPECT_LT(offsetof(UnzipParams, Reserved0), offsetof(UnzipParams, Caller));
  EXPECT_LT(offsetof(UnzipParams, Caller), offsetof(UnzipParams, Constant8));
  EXPECT_LT(offsetof(UnzipParams, Constant8), offsetof(UnzipParams, Callback));
  EXPECT_LT(offsetof(UnzipParams, Callback), offsetof(UnzipParams, Flag16));
  EXPECT_LT(offsetof(UnzipParams, Flag16), offsetof(UnzipParams, NameEncoding));
  EXPECT_LT(offsetof(UnzipParams, NameEncoding), offsetof(UnzipParams, Reserved24));
  EXPECT_LT(offsetof(UnzipParams, Reserved24), offsetof(UnzipParams, Flags28));
  EXPECT_EQ(offsetof(UnzipParams, FileSpecCount) - offsetof(UnzipParams, Flags28), 9u * 4u);
  EXPECT_LT(offsetof(UnzipParams, FileSpecCount), offsetof(UnzipParams, ArchiveName));
  EXPECT_LT(offsetof(UnzipParams, ArchiveName), offsetof(UnzipParams, Constant72));
  EXPECT_LT(offsetof(UnzipParams, Constant72), offsetof(UnzipParams, FileSpecs));
  EXPECT_EQ(sizeof(UnzipParams{}.FileSpecs) / sizeof(char*), 4097u);
  EXPECT_EQ(sizeof(UnzipParams{}.FileSpecCount), 4u);
  EXPECT_EQ(sizeof(UnzipParams{}.Constant8), 4u);
  EXPECT_EQ(sizeof(UnzipParams{}.Constant72), 4u);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(sizeof(UnzipParams), 16464u);
    EXPECT_EQ(offsetof(UnzipParams, FileSpecs), 76u);
  }
}

TEST(ApiLayoutTest, CallbackInfoFieldsKeepTheirOrder) {
  EXPECT_EQ(offsetof(UnzipCallbackInfo, StructSize), 0u);
  EXPECT_LT(offsetof(UnzipCallbackInfo, Caller), offsetof(UnzipCallbackInfo, ActionCode));
  EXPECT_EQ(offsetof(UnzipCallbackInfo, FileSize) - offsetof(UnzipCallbackInfo, ActionCode), 8u);
  EXPECT_EQ(offsetof(UnzipCallbackInfo, FileName) - offsetof(UnzipCallbackInfo, FileSize), 4u);
  EXPECT_EQ(sizeof(UnzipCallbackInfo{}.FileName), std::size_t(UNZIP_MAX_NAME + 1));
  if (sizeof(void*) == 4) {
    EXPECT_EQ(offsetof(UnzipCallbackInfo, ActionCode), 16u);
    EXPECT_EQ(offsetof(UnzipCallbackInfo, FileSize), 24u);
    EXPECT_EQ(offsetof(UnzipCallbackInfo, FileName), 28u);
  }
}

TEST(ApiLayoutTest, FailureRecordIsTheSameOnEveryTarget) {
  // Plain 32-bit fields and bytes: no pointer, so the native build lays it out as the DLL does.
  EXPECT_EQ(offsetof(UnzipFailure, StructSize), 0u);
  EXPECT_EQ(offsetof(UnzipFailure, Reason), 4u);
  EXPECT_EQ(offsetof(UnzipFailure, OsError), 8u);
  EXPECT_EQ(offsetof(UnzipFailure, FileName), 12u);
  EXPECT_EQ(sizeof(UnzipFailure{}.FileName), std::size_t(UNZIP_MAX_NAME + 1));
  EXPECT_EQ(sizeof(UnzipFailure), 272u);
}

}  // namespace
