// The text form of the fake catalog's data: the Windows test bed reads it from a file, so a
// mistake in it must be reported, not quietly turned into another catalog.
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_catalog.h"

namespace {

TEST(FakeCatalogText, ReadsValuesKeysAndFaults) {
  FakeCatalogData data;
  std::string error;
  ASSERT_TRUE(ParseFakeCatalog(R"(# a comment
application "A \"1\"\u00e9" key "{K}"   # trailing comment
component nulltext dll -12
component null dll empty
fail applications Item(3) * nothing
fail component:0.1 Value 2 0x8007000E
)",
                               &data, &error))
      << error;
  ASSERT_EQ(data.applications.size(), 1u);
  const FakeApplication& application = data.applications[0];
  const std::basic_string<OLECHAR> name = {'A', ' ', '"', '1', '"', 0xE9};
  EXPECT_EQ(application.name.text, name);
  EXPECT_EQ(application.key.size(), 3u);
  ASSERT_EQ(application.components.size(), 2u);
  EXPECT_TRUE(application.components[0].name.nullText);
  EXPECT_EQ(application.components[0].dll.type, VT_I4);
  EXPECT_EQ(application.components[0].dll.number, -12);
  EXPECT_EQ(application.components[1].name.type, VT_NULL);
  EXPECT_EQ(application.components[1].dll.type, VT_EMPTY);
  ASSERT_EQ(data.faults.size(), 2u);
  EXPECT_EQ(data.faults[0].occurrence, 0);
  EXPECT_TRUE(data.faults[0].deliverNothing);
  EXPECT_EQ(data.faults[1].call, "Value");
  EXPECT_EQ(data.faults[1].failure, E_OUTOFMEMORY);
}

TEST(FakeCatalogText, RejectsWhatItCannotRead) {
  const char* const texts[] = {
      "component \"C\" dll \"x\"",          // no application before it
      "application \"A",                    // quote not closed
      "application \"\\q\"",                // unknown escape
      "application \"\\u12\"",              // short escape
      "application \"\xC3\xA9\"",           // raw non-ASCII byte
      "application 12x",                    // not a number
      "application \"A\" key {K}",          // key not quoted
      "fail catalog Frobnicate 1 nothing",  // unknown call
      "fail catalogue Count 1 nothing",     // unknown target
      "fail catalog Count 0 nothing",       // occurrences count from 1
      "fail catalog Count 1 80004005",      // HRESULT without 0x
      "applications \"A\"",                 // unknown statement
  };
  for (const char* text : texts) {
    FakeCatalogData data;
    std::string error;
    EXPECT_FALSE(ParseFakeCatalog(std::string("# first\n") + text, &data, &error)) << text;
    EXPECT_EQ(error.substr(0, 7), "line 2:") << text;
  }
}

}  // namespace
