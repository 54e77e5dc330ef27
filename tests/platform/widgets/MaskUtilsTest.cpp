// The edit-mask engine: mask fields, the empty text, Text versus edit text, typing, deleting,
// validation, the blank check and switching masks while text is held.
#include <gtest/gtest.h>

#include "platform/core/SysUtils.h"
#include "platform/widgets/MaskUtils.h"

using namespace plat;

namespace {

// Masks read '/' and ':' as the separators of the settings; pin them for every test.
class MaskTest : public testing::Test {
protected:
    void SetUp() override {
        fSaved = FormatSettings;
        FormatSettings.DateSeparator = '/';
        FormatSettings.TimeSeparator = ':';
    }
    void TearDown() override { FormatSettings = fSaved; }

    // An edit box holding the mask's empty text with everything selected, as on entering it.
    static TMaskEditBuffer Entered(const TEditMask& m, const std::string& editText = "") {
        TMaskEditBuffer b;
        b.Text = Utf8ToChars(editText.empty() ? m.EmptyEditText() : editText);
        b.MaxLength = m.MaxChars();
        b.SelStart = 0;
        b.SelStop = static_cast<int>(b.Text.size());
        return b;
    }
    static void Type(const TEditMask& m, TMaskEditBuffer& b, const std::string& keys) {
        for (char32_t c : Utf8ToChars(keys)) m.CharKeys(b, c);
    }

private:
    TFormatSettings fSaved;
};

TEST_F(MaskTest, FieldsOfTheMaskText) {
    struct Case {
        const char* mask;
        int maxChars;
        bool save;
        const char* blank;
    };
    const Case cases[] = {
        {"9999/99/99;1; ", 10, true, " "},
        {"99/99/9999;1; ", 10, true, " "},
        {"99/99/99;1; ", 8, true, " "},
        {"999/99/99;1; ", 9, true, " "},
        {"9999/99/99;0;_", 10, false, "_"},
        {"9999/99/99;0", 10, false, "_"},  // no blank field: the default blank
        {"9999/99/99", 10, true, "_"},     // no fields: literals are kept
        {"(999)000-0000;0;*", 13, false, "*"},
        {">LL<ll;1;_", 4, true, "_"},      // directives take no position
        {"\\999;1;_", 3, true, "_"},       // an escaped mask character is a literal
        {"", 0, true, "_"},
    };
    for (const auto& c : cases) {
        TEditMask m(c.mask);
        EXPECT_EQ(m.MaxChars(), c.maxChars) << c.mask;
        EXPECT_EQ(MaskGetMaskSave(c.mask), c.save) << c.mask;
        EXPECT_EQ(MaskGetMaskBlank(c.mask), c.blank) << c.mask;
    }
    EXPECT_EQ(MaskGetCharType("\\999;1;_", 1), mcDirective);
    EXPECT_EQ(MaskGetCharType("\\999;1;_", 2), mcLiteral);
    EXPECT_EQ(MaskGetCharType("\\999;1;_", 3), mcMaskOpt);
    EXPECT_EQ(MaskGetCharType("9999/99/99;1; ", 5), mcIntlLiteral);
    EXPECT_EQ(MaskGetCharType("9999/99/99;1; ", 11), mcFieldSeparator);
    EXPECT_EQ(MaskGetCharType("9999/99/99;1; ", 14), mcField);
    EXPECT_EQ(MaskGetCharType("9999/99/99;1; ", 15), mcNone);
    EXPECT_EQ(MaskGetFldSeparator("9999/99/99;1; "), 13);
    EXPECT_EQ(OffsetToMaskOffset(">LL<ll", 2), 5);
    EXPECT_EQ(MaskOffsetToOffset(">LL<ll", 5), 3);
    EXPECT_TRUE(IsLiteralChar("9999/99/99;1; ", 4));
    EXPECT_FALSE(IsLiteralChar("9999/99/99;1; ", 5));
}

TEST_F(MaskTest, EmptyEditTextAndEmptyText) {
    struct Case {
        const char* mask;
        const char* editText;  // what the edit shows when empty
        const char* text;      // what its Text reads then
    };
    const Case cases[] = {
        {"9999/99/99;1; ", "    /  /  ", "    /  /  "},
        {"99/99/9999;1; ", "  /  /    ", "  /  /    "},
        {"99/99/99;1; ", "  /  /  ", "  /  /  "},
        {"999/99/99;1; ", "   /  /  ", "   /  /  "},
        {"9999/99/99;1;_", "____/__/__", "    /  /  "},  // blanks read as spaces
        {"9999/99/99;0;_", "____/__/__", ""},
        {"(999)000-0000;0;_", "(___)___-____", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        TEditMask m(c.mask);
        EXPECT_EQ(m.EmptyEditText(), c.editText) << c.mask;
        EXPECT_EQ(m.EmptyText(), c.text) << c.mask;
        EXPECT_EQ(MaskBlankText(c.mask), c.text) << c.mask;
    }
}

TEST_F(MaskTest, SeparatorsFollowTheSettings) {
    FormatSettings.DateSeparator = '-';
    FormatSettings.TimeSeparator = '.';
    EXPECT_EQ(TEditMask("9999/99/99;1; ").EmptyEditText(), "    -  -  ");
    EXPECT_EQ(TEditMask("99:99;1;_").EmptyEditText(), "__.__");
    EXPECT_EQ(TEditMask("9999-99-99;1; ").EmptyEditText(), "    -  -  ");  // a plain literal
}

TEST_F(MaskTest, TypedDigitsFillTheDateMasks) {
    struct Case {
        const char* mask;
        const char* keys;
        const char* editText;
        const char* textSaved;    // Text with the mask as given (literals kept)
        const char* textNoSave;   // Text once the mask's save field is 0
    };
    const Case cases[] = {
        {"9999/99/99;1; ", "20240305", "2024/03/05", "2024/03/05", "20240305"},
        {"9999/99/99;1; ", "2024", "2024/  /  ", "2024/  /  ", "2024"},
        {"99/99/9999;1; ", "03052024", "03/05/2024", "03/05/2024", "03052024"},
        {"99/99/99;1; ", "870401", "87/04/01", "87/04/01", "870401"},
        {"999/99/99;1; ", "1130305", "113/03/05", "113/03/05", "1130305"},
        {"9999/99/99;1; ", "2024a0x3", "2024/03/  ", "2024/03/  ", "202403"},  // letters are refused
        {"9999/99/99;1; ", "2024030512", "2024/03/05", "2024/03/05", "20240305"},  // full: no more
    };
    for (const auto& c : cases) {
        TEditMask m(c.mask);
        TMaskEditBuffer b = Entered(m);
        Type(m, b, c.keys);
        EXPECT_EQ(b.Utf8(), c.editText) << c.mask << " " << c.keys;
        EXPECT_EQ(m.TextOf(b.Utf8()), c.textSaved) << c.mask << " " << c.keys;
        std::string noSave = c.mask;
        noSave.replace(noSave.find(";1;"), 3, ";0;");
        EXPECT_EQ(TEditMask(noSave).TextOf(b.Utf8()), c.textNoSave) << noSave << " " << c.keys;
    }
}

TEST_F(MaskTest, CaretSkipsLiteralsAndTypedSeparatorJumps) {
    TEditMask m("9999/99/99;1; ");
    TMaskEditBuffer b = Entered(m);
    Type(m, b, "2024");
    EXPECT_EQ(b.SelStart, 5);  // past the separator, on the next digit
    EXPECT_EQ(b.SelStop, 6);
    Type(m, b, "3/");  // the separator typed early jumps past the next separator
    EXPECT_EQ(b.SelStart, 8);
    Type(m, b, "9");
    EXPECT_EQ(b.Utf8(), "2024/3 /9 ");
    Type(m, b, "1");
    EXPECT_EQ(b.SelStart, 10);  // at the end: an empty selection
    EXPECT_EQ(b.SelStop, 10);
    Type(m, b, "5");
    EXPECT_EQ(b.Utf8(), "2024/3 /91");
}

TEST_F(MaskTest, DeletingBlanksPositionsWithoutShifting) {
    TEditMask m("9999/99/99;1;_");
    TMaskEditBuffer b = Entered(m);
    Type(m, b, "202403");
    ASSERT_EQ(b.Utf8(), "2024/03/__");
    ASSERT_EQ(b.SelStart, 8);
    m.DeleteKeys(b, true);  // backspace: the position before the cursor
    EXPECT_EQ(b.Utf8(), "2024/0_/__");
    EXPECT_EQ(b.SelStart, 6);
    m.DeleteKeys(b, true);
    m.DeleteKeys(b, true);  // steps over the separator
    EXPECT_EQ(b.Utf8(), "202_/__/__");
    EXPECT_EQ(b.SelStart, 3);
    m.SetCursor(b, 1);
    m.DeleteKeys(b, false);  // delete: the position under the cursor, the rest stays in place
    EXPECT_EQ(b.Utf8(), "2_2_/__/__");
    EXPECT_EQ(b.SelStart, 1);
    m.SetCursor(b, 0);
    m.DeleteKeys(b, true);  // nothing before the first position
    EXPECT_EQ(b.Utf8(), "2_2_/__/__");
    b.SelStart = 0;
    b.SelStop = 10;
    m.DeleteKeys(b, false);  // a selection: every position, literals stay
    EXPECT_EQ(b.Utf8(), "____/__/__");
    EXPECT_EQ(b.SelStart, 0);
    EXPECT_EQ(m.TextOf(b.Utf8()), "    /  /  ");
}

TEST_F(MaskTest, MovingTheCursor) {
    TEditMask m("(999)000-0000;0;_");
    TMaskEditBuffer b = Entered(m);
    Type(m, b, "1");
    EXPECT_EQ(b.Utf8(), "(1__)___-____");  // typing over a selection starts at the first position
    m.HomeEndKeys(b, true, false);
    EXPECT_EQ(b.SelStart, 0);
    m.ArrowKeys(b, true, false, false);
    EXPECT_EQ(b.SelStart, 1);
    m.SetCursor(b, 5);
    m.ArrowKeys(b, false, false, false);  // left over ')' to the last digit of the group
    EXPECT_EQ(b.SelStart, 3);
    m.ArrowKeys(b, true, false, false);
    EXPECT_EQ(b.SelStart, 5);
    m.HomeEndKeys(b, false, false);
    EXPECT_EQ(b.SelStart, 13);
    EXPECT_EQ(b.SelStop, 13);
    m.ArrowKeys(b, true, true, false);  // shift+right at the end stays within the text
    EXPECT_LE(b.SelStop, 13);
}

TEST_F(MaskTest, CharacterClassesAndCase) {
    struct Case {
        const char* mask;
        const char* keys;
        const char* editText;
    };
    const Case cases[] = {
        {"LL;1;_", "a1b", "ab"},
        {"AA;1;_", "1b", "1b"},
        {">LL<ll;1;_", "abCD", "ABcd"},
        {">L<>l;1;_", "ab", "Ab"},        // "<>" ends case conversion
        {"CCC;1;_", "a 1", "a 1"},
        {">ccc;1;_", "é-x", "É-X"},
        {"###;1;_", "+ 5", "+ 5"},
        {"999;1;_", " 5x", "5__"},        // an optional digit still refuses a blank
        {"LL;1;_", "中文", "中文"},       // characters beyond ASCII take letter positions
        {"\\999;1;_", "12", "912"},
    };
    for (const auto& c : cases) {
        TEditMask m(c.mask);
        TMaskEditBuffer b = Entered(m);
        Type(m, b, c.keys);
        EXPECT_EQ(b.Utf8(), c.editText) << c.mask << " " << c.keys;
    }
}

TEST_F(MaskTest, ValidationFindsTheFirstBlankRequiredPosition) {
    struct Case {
        const char* mask;
        const char* editText;
        bool valid;
        int pos;
    };
    const Case cases[] = {
        {"(999)000-0000;0;_", "(123)456-7890", true, -1},
        {"(999)000-0000;0;_", "(___)456-7890", true, -1},  // optional positions may stay blank
        {"(999)000-0000;0;_", "(123)456-78__", false, 11},
        {"(999)000-0000;0;_", "(123)4 6-7890", false, 6},  // a space is blank too
        {"9999/99/99;1; ", "    /  /  ", true, -1},        // the date masks have no required position
        {"0000/00/00;1;_", "2024/0_/01", false, 6},
        {"CC;1;_", "  ", true, -1},                        // a space is a character for C
        {"00;1;_", "", true, -1},                          // an empty edit text is not checked
    };
    for (const auto& c : cases) {
        TEditMask m(c.mask);
        int pos = -1;
        EXPECT_EQ(m.Validate(std::string(c.editText), pos), c.valid) << c.mask << " " << c.editText;
        EXPECT_EQ(pos, c.pos) << c.mask << " " << c.editText;
    }
}

TEST_F(MaskTest, TextAssignedUnderAMask) {
    struct Case {
        const char* mask;
        const char* text;
        const char* editText;
        const char* readBack;
    };
    const Case cases[] = {
        {"9999/99/99;1; ", "2024/03/05", "2024/03/05", "2024/03/05"},
        {"9999/99/99;1; ", "2024/3", "2024/3 /  ", "2024/3 /  "},  // completed with literals and blanks
        {"9999/99/99;1; ", "", "    /  /  ", "    /  /  "},
        {"9999/99/99;0;_", "20240305", "2024/03/05", "20240305"},
        {"9999/99/99;0;_", "2024", "2024/__/__", "2024"},
        {"9999/99/99;0;_", "", "____/__/__", ""},
        {"!999;0;_", "12", "_12", "12"},  // right-aligned
        {"", "free text", "free text", "free text"},
    };
    for (const auto& c : cases) {
        TEditMask m(c.mask);
        EXPECT_EQ(m.EditTextFor(c.text), c.editText) << c.mask << " " << c.text;
        EXPECT_EQ(m.TextOf(m.EditTextFor(c.text)), c.readBack) << c.mask << " " << c.text;
    }
    EXPECT_EQ(FormatMaskText("(999)000-0000;0;_", "1234567890"), "(123)456-7890");
    EXPECT_EQ(FormatMaskText("9999/99/99;1;_", "2024/03"), "2024/03/  ");
    EXPECT_EQ(MaskDoFormatText("!99/99;0;_", "234", U'_'), "_2/34");
}

TEST_F(MaskTest, BlankCheckOfRequiredFields) {
    struct Case {
        const char* mask;
        const char* text;
        bool blank;
    };
    const Case cases[] = {
        {"9999/99/99;1; ", "    /  /  ", true},
        {"9999/99/99;1; ", "2024/  /  ", false},
        {"99/99/9999;1; ", "  /  /    ", true},
        {"99/99/99;1; ", "  /  /  ", true},
        {"999/99/99;1; ", "   /  /  ", true},
        {"999/99/99;1; ", "113/03/05", false},
        {"9999/99/99;0;_", "", true},
        {"9999/99/99;0;_", "2024", false},
        {"", "   ", true},
        {"", "x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TEditMask(c.mask).IsBlankText(c.text), c.blank) << c.mask << " '" << c.text << "'";
}

TEST_F(MaskTest, ChangingTheMaskKeepsWhatTheNewMaskLeaves) {
    struct Case {
        const char* from;
        const char* editText;
        const char* to;
        const char* result;
    };
    const Case cases[] = {
        // the save field switched off and on again, as the required-field check does it
        {"9999/99/99;1; ", "2024/03/05", "9999/99/99;0; ", "2024/03/05"},
        {"9999/99/99;0; ", "    /  /  ", "9999/99/99;1; ", "    /  /  "},
        // another date layout takes the digits in order
        {"9999/99/99;1;_", "2024/03/05", "99/99/9999;1;_", "20/24/0305"},
        {"9999/99/99;1; ", "2024/03/05", "999/99/99;1; ", "202/40/305"},
        {"99/99/99;1;_", "87/04/__", "9999/99/99;1;_", "8704/__/__"},
        // text gains the literals of a first mask; dropping the mask drops the text
        {"", "12", "9999/99/99;1;_", "12__/__/__"},
        {"9999/99/99;1; ", "2024/03/05", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TEditMask(c.from).Reformat(c.editText, TEditMask(c.to)), c.result) << c.from << " -> " << c.to;
}

TEST(MaskChars, Utf8RoundTripKeepsForeignBytes) {
    const std::string texts[] = {"abc", "日期 2024", "é", std::string("\xff\xfe x \xe4", 6), ""};
    for (const auto& t : texts) EXPECT_EQ(CharsToUtf8(Utf8ToChars(t)), t);
    EXPECT_EQ(Utf8CharCount("日期/x"), 4);
}

}  // namespace
