#pragma once
// The edit-mask engine of the masked edit, as pure logic.
//
// A mask text has up to three fields separated by ';' at its end: the mask itself, the
// save-literals flag ('0' = the text leaves the literals out, anything else keeps them; default
// keep) and the blank character shown for empty positions (default '_'):
//   "9999/99/99;1; "   four digits, separator, two, separator, two; literals kept; blank ' '.
// Mask characters: 0 digit, 9 optional digit, # optional digit/blank/sign, L letter, l optional
// letter, A letter or digit, a optional letter or digit, C any character, c optional any.
// Directives: '>' upper case from here, '<' lower case, "<>" no case change, '!' the text is
// aligned right (blanks lead instead of trailing), '\' the next character is a literal. Every
// other character is a literal; '/' and ':' stand for the date and time separators of
// FormatSettings.
//
// Positions are counted in characters (Unicode code points), so a Chinese character takes one
// position like a digit. Mask offsets are 1-based (a position in the mask text), text offsets
// 0-based (a position in the edit text), as the routines below have always counted them.
#include <string>

#include "platform/forms/ClassInfo.h"

namespace plat {

// ---- Characters of a UTF-8 text --------------------------------------------------------------
// Decoding keeps bytes that are not UTF-8 (as U+DC80..U+DCFF), so encoding gives them back.
std::u32string Utf8ToChars(const std::string& text);
std::string CharsToUtf8(const std::u32string& chars);
std::string CharToUtf8(char32_t c);
int Utf8CharCount(const std::string& text);

// ---- The mask text -------------------------------------------------------------------------

enum TMaskCharType { mcNone, mcLiteral, mcIntlLiteral, mcDirective, mcMask, mcMaskOpt, mcFieldSeparator, mcField };
enum TMaskDirective { mdReverseDir, mdUpperCase, mdLowerCase, mdLiteralChar };
using TMaskDirectives = TSet<TMaskDirective>;

constexpr char32_t mDirReverse = '!', mDirUpperCase = '>', mDirLowerCase = '<', mDirLiteral = '\\';
constexpr char32_t mMskAlpha = 'L', mMskAlphaOpt = 'l', mMskAlphaNum = 'A', mMskAlphaNumOpt = 'a', mMskAscii = 'C',
                   mMskAsciiOpt = 'c', mMskNumeric = '0', mMskNumericOpt = '9', mMskNumSymOpt = '#';
constexpr char32_t mMskTimeSeparator = ':', mMskDateSeparator = '/';
constexpr char32_t MaskFieldSeparator = ';', MaskNoSave = '0', DefaultBlank = '_';

// The routines by their traditional names, on mask texts.
TMaskCharType MaskGetCharType(const std::string& editMask, int maskOffset);
TMaskDirectives MaskGetCurrentDirectives(const std::string& editMask, int maskOffset);
int MaskGetFldSeparator(const std::string& editMask);  // mask offset of the last field separator, -1
bool MaskGetMaskSave(const std::string& editMask);
std::string MaskGetMaskBlank(const std::string& editMask);
int MaskOffsetToOffset(const std::string& editMask, int maskOffset);
int OffsetToMaskOffset(const std::string& editMask, int offset);  // -1 past the last position
bool IsLiteralChar(const std::string& editMask, int offset);
// The date or time separator a '/' or ':' of the mask stands for; other characters unchanged.
char32_t MaskIntlLiteralToChar(char32_t c);
// Puts the mask's literals into a text that has none and fills missing positions with blank.
std::string MaskDoFormatText(const std::string& editMask, const std::string& value, char32_t blank);
// Completes a text that holds the literals already: missing positions get literal or blank.
std::string PadInputLiterals(const std::string& editMask, const std::string& value, char32_t blank);
// The text a value gives under the mask, blanks as ' ' (the value holds literals when the mask
// saves them, else not).
std::string FormatMaskText(const std::string& editMask, const std::string& value);

// ---- A parsed mask ---------------------------------------------------------------------------

// The state of a masked edit box that the mask acts on: its text and its selection
// [SelStart, SelStop) in characters. CaretPos is the end of a selection the caret sits at.
struct TMaskEditBuffer {
    std::u32string Text;
    int SelStart = 0;
    int SelStop = 0;
    int CaretPos = 0;
    int MaxLength = 0;  // 0: no limit
    std::string Utf8() const { return CharsToUtf8(Text); }
};

class TEditMask {
public:
    TEditMask() { Parse(std::string()); }
    explicit TEditMask(const std::string& mask) { Parse(mask); }

    const std::string& Mask() const { return fMaskText; }
    bool IsMasked() const { return !fMask.empty(); }
    int MaxChars() const { return fMaxChars; }  // positions of the edit text
    bool Save() const { return fSave; }
    char32_t Blank() const { return fBlank; }
    int Length() const { return static_cast<int>(fMask.size()); }
    char32_t MaskChar(int maskOffset) const;  // 0 outside the mask
    TMaskCharType CharType(int maskOffset) const;
    TMaskDirectives Directives(int maskOffset) const;
    int OffsetToMaskOffset(int offset) const;
    int MaskOffsetToOffset(int maskOffset) const;
    bool IsLiteralChar(int offset) const;

    // Text conversions of the masked edit.
    std::u32string DoFormatText(const std::u32string& value, char32_t blank) const;
    std::u32string PadInputLiterals(const std::u32string& value, char32_t blank) const;
    // Edit text -> text without literals, trailing (leading for '!') blanks cut, inner blanks ' '.
    std::u32string RemoveEditFormat(const std::u32string& editText) const;
    // Text without literals -> edit text (active: blanks as the mask's blank, else ' ').
    std::u32string AddEditFormat(const std::u32string& value, bool active) const;
    // Text: what the masked edit's Text property reads for an edit text, and the edit text an
    // assignment to Text gives.
    std::string TextOf(const std::string& editText) const;
    std::string EditTextFor(const std::string& text) const;
    // The edit text after switching from this mask to `newMask`: what the new mask leaves of it.
    std::string Reformat(const std::string& editText, const TEditMask& newMask) const;
    // The edit text and the text of an empty edit under this mask.
    std::string EmptyEditText() const;
    std::string EmptyText() const;
    // The blank check of required fields: the text, trimmed, equals the trimmed empty text.
    bool IsBlankText(const std::string& text) const;
    // False when a required position (0 L A C) is blank; pos is its text offset.
    bool Validate(const std::u32string& editText, int& pos) const;
    bool Validate(const std::string& editText, int& pos) const { return Validate(Utf8ToChars(editText), pos); }

    // Typing and moving as the masked edit does it. The caret is kept as a selection of the one
    // character it stands on, so typing overwrites it.
    int GetNextEditChar(int offset) const;
    int GetPriorEditChar(int offset) const;
    void SetCursor(TMaskEditBuffer& b, int pos) const;
    void CheckCursor(TMaskEditBuffer& b) const;  // an empty selection becomes the cursor
    void CursorInc(TMaskEditBuffer& b, int cursorPos, int incr) const;
    void CursorDec(TMaskEditBuffer& b, int cursorPos) const;
    // Checks (and case-converts) a character typed at a text offset. A rejected character that
    // is the next literal of the mask moves the cursor past that literal instead.
    bool InputChar(TMaskEditBuffer& b, char32_t& c, int offset) const;
    // A character typed: replaces the selection's first editable position. True when typed.
    bool CharKeys(TMaskEditBuffer& b, char32_t c) const;
    // Backspace (blank the position before the cursor) or Delete (the one under it, or the
    // selection); literals stay, nothing shifts.
    void DeleteKeys(TMaskEditBuffer& b, bool backspace) const;
    // Blanks the editable positions of [offset, offset + len) in value.
    void DeleteSelection(std::u32string& value, int offset, int len) const;
    void ArrowKeys(TMaskEditBuffer& b, bool right, bool shift, bool ctrl) const;
    void HomeEndKeys(TMaskEditBuffer& b, bool home, bool shift) const;
    // Replaces the selection as an edit box does (within MaxLength); the caret follows.
    static void ReplaceSel(TMaskEditBuffer& b, const std::u32string& s);

private:
    void Parse(const std::string& mask);
    int FindLiteralChar(int maskOffset, char32_t c) const;
    bool DoInputChar(char32_t& c, int maskOffset) const;

    std::string fMaskText;
    std::u32string fMask;
    std::vector<TMaskCharType> fTypes;  // by mask offset - 1
    int fMaxChars = 0;
    bool fSave = true;
    char32_t fBlank = DefaultBlank;
};

// The text a masked edit with this mask shows when empty (what required-field checks compare a
// trimmed text with); empty for an empty mask or one that leaves literals out.
std::string MaskBlankText(const std::string& editMask);

}  // namespace plat
