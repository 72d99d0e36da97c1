// Texts that reach a terminal or a JSON reader from paths and program names, whatever bytes they hold.
#include <gtest/gtest.h>

#include "cli/text_util.h"

namespace zarpacli {
namespace {

TEST(JsonString, IsValidUtf8WhateverTheBytes) {
    EXPECT_EQ(jsonString("plain \"quoted\" back\\slash"), "\"plain \\\"quoted\\\" back\\\\slash\"");
    EXPECT_EQ(jsonString("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5"), "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5\"");
    EXPECT_EQ(jsonString("a\x1b[31m\x7f"), "\"a\\u001b[31m\\u007f\"");
    // Latin-1 bytes, a cut sequence, an overlong slash, a surrogate: each byte that is no character.
    EXPECT_EQ(jsonString("caf\xE9"), "\"caf\\ufffd\"");
    EXPECT_EQ(jsonString("x\xE2\x82"), "\"x\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
}

TEST(Printable, ShowsControlBytesAndStrayBytesAsQuestionMarks) {
    EXPECT_EQ(printable("CD Master 1"), "CD Master 1");
    EXPECT_EQ(printable("Evil\x1b]0;title\x07\r\n"), "Evil?]0;title???");
    EXPECT_EQ(printable("caf\xC3\xA9 caf\xE9"), "caf\xC3\xA9 caf?");
}

}  // namespace
}  // namespace zarpacli
