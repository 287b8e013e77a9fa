// Font objects: CreateFontIndirectA keeps the description, DeleteObject ends the object.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/winapi.h"

namespace {

LOGFONTA titleDescription() {
  LOGFONTA description = {};
  description.lfHeight = 24;
  description.lfWidth = 24;
  description.lfWeight = 1200;
  description.lfUnderline = 1;
  description.lfQuality = PROOF_QUALITY;
  std::strcpy(description.lfFaceName, "MS Sans Serif");
  return description;
}

TEST(FontObject, KeepsItsDescription) {
  const LOGFONTA asked = titleDescription();
  HFONT font = CreateFontIndirectA(&asked);
  ASSERT_NE(nullptr, font);
  LOGFONTA kept = {};
  EXPECT_EQ(static_cast<int>(sizeof kept), GetObjectA(font, sizeof kept, &kept));
  EXPECT_EQ(asked.lfHeight, kept.lfHeight);
  EXPECT_EQ(asked.lfWidth, kept.lfWidth);
  EXPECT_EQ(asked.lfWeight, kept.lfWeight);
  EXPECT_EQ(asked.lfUnderline, kept.lfUnderline);
  EXPECT_EQ(asked.lfQuality, kept.lfQuality);
  EXPECT_STREQ("MS Sans Serif", kept.lfFaceName);
  EXPECT_TRUE(DeleteObject(font));
}

TEST(FontObject, SizeQueryGivesDescriptionSize) {
  const LOGFONTA asked = titleDescription();
  HFONT font = CreateFontIndirectA(&asked);
  EXPECT_EQ(static_cast<int>(sizeof(LOGFONTA)), GetObjectA(font, 0, nullptr));
  DeleteObject(font);
}

TEST(FontObject, DeletedFontIsGone) {
  const LOGFONTA asked = titleDescription();
  HFONT font = CreateFontIndirectA(&asked);
  ASSERT_TRUE(DeleteObject(font));
  LOGFONTA kept = {};
  EXPECT_EQ(0, GetObjectA(font, sizeof kept, &kept));
}

}  // namespace
