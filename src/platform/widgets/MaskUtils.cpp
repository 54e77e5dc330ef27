#include "platform/widgets/MaskUtils.h"

#include <algorithm>

#include "platform/core/SysUtils.h"

namespace plat {

// ---- Characters ----------------------------------------------------------------------------

std::u32string Utf8ToChars(const std::string& text) {
    std::u32string r;
    r.reserve(text.size());
    size_t i = 0, n = text.size();
    auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80; };
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        size_t len = 0;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if (c >= 0xC2 && c <= 0xDF && cont(i + 1)) {
            cp = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF && cont(i + 1) && cont(i + 2)) {
            cp = (c & 0x0Fu) << 12 | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6 |
                 (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            len = (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) ? 3 : 0;
        } else if (c >= 0xF0 && c <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            cp = (c & 0x07u) << 18 | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12 |
                 (static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6 | (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            len = (cp >= 0x10000 && cp <= 0x10FFFF) ? 4 : 0;
        }
        if (len == 0) {  // not UTF-8: keep the byte
            cp = 0xDC00 + c;
            len = 1;
        }
        r += cp;
        i += len;
    }
    return r;
}

std::string CharToUtf8(char32_t c) {
    std::string r;
    if (c >= 0xDC80 && c <= 0xDCFF) {
        r += static_cast<char>(c - 0xDC00);
    } else if (c < 0x80) {
        r += static_cast<char>(c);
    } else if (c < 0x800) {
        r += static_cast<char>(0xC0 | (c >> 6));
        r += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        r += static_cast<char>(0xE0 | (c >> 12));
        r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        r += static_cast<char>(0xF0 | (c >> 18));
        r += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        r += static_cast<char>(0x80 | (c & 0x3F));
    }
    return r;
}

std::string CharsToUtf8(const std::u32string& chars) {
    std::string r;
    r.reserve(chars.size());
    for (char32_t c : chars) r += CharToUtf8(c);
    return r;
}

int Utf8CharCount(const std::string& text) { return static_cast<int>(Utf8ToChars(text).size()); }

namespace {
bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlpha(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// Letters: ASCII letters and, standing for the double-byte characters the letter positions have
// always accepted, every character beyond ASCII but the Latin-1 signs and kept non-UTF-8 bytes.
bool IsAlpha(char32_t c) {
    if (c < 0x80) return IsAsciiAlpha(c);
    if (c <= 0xBF || c == 0xD7 || c == 0xF7) return false;
    return !(c >= 0xDC80 && c <= 0xDCFF);
}
char32_t ChangeCase(char32_t c, bool upper) {
    std::string s = CharToUtf8(c);
    std::u32string r = Utf8ToChars(upper ? AnsiUpperCase(s) : AnsiLowerCase(s));
    return r.size() == 1 ? r[0] : c;
}
bool In(char32_t c, std::u32string_view set) { return set.find(c) != std::u32string_view::npos; }
}  // namespace

char32_t MaskIntlLiteralToChar(char32_t c) {
    if (c == mMskTimeSeparator) return static_cast<unsigned char>(FormatSettings.TimeSeparator);
    if (c == mMskDateSeparator) return static_cast<unsigned char>(FormatSettings.DateSeparator);
    return c;
}

// ---- TEditMask -------------------------------------------------------------------------------

void TEditMask::Parse(const std::string& mask) {
    fMaskText = mask;
    fMask = Utf8ToChars(mask);
    const std::u32string& m = fMask;
    int n = static_cast<int>(m.size());
    auto at = [&](int o) -> char32_t { return o >= 1 && o <= n ? m[static_cast<size_t>(o - 1)] : 0; };
    fTypes.assign(m.size(), mcNone);
    for (int o = 1; o <= n; ++o) {
        char32_t c = at(o);
        TMaskCharType t;
        if (o > 1 && at(o - 1) == mDirLiteral && !(o > 2 && at(o - 2) == mDirLiteral))
            t = mcLiteral;
        else if (c == MaskFieldSeparator && n >= 4 && o > n - 4)
            t = mcFieldSeparator;
        else if (n >= 4 && o > n - 4 && at(o - 1) == MaskFieldSeparator && !(o > 2 && at(o - 2) == mDirLiteral))
            t = mcField;
        else if (c == mMskTimeSeparator || c == mMskDateSeparator)
            t = mcIntlLiteral;
        else if (In(c, U"!><\\"))
            t = mcDirective;
        else if (In(c, U"lac#9"))
            t = mcMaskOpt;
        else if (In(c, U"LAC0"))
            t = mcMask;
        else
            t = mcLiteral;
        fTypes[static_cast<size_t>(o - 1)] = t;
    }
    fMaxChars = MaskOffsetToOffset(n);

    fSave = true;
    if (n >= 4) {
        int sep1 = -1, sep2 = -1, i = n;
        while (sep2 < 0) {
            if (CharType(i) == mcFieldSeparator) {
                if (sep1 < 0) sep1 = i;
                else sep2 = i;
            }
            --i;
            if (i <= 0 || i < n - 4) break;
        }
        if (sep2 < 0) sep2 = sep1;
        if (sep2 >= 1 && sep2 != n) fSave = at(sep2 + 1) != MaskNoSave;
    }
    fBlank = DefaultBlank;
    // A blank field counts only after a save field.
    if (n >= 4 && CharType(n - 1) == mcFieldSeparator &&
        (CharType(n - 2) == mcFieldSeparator || CharType(n - 3) == mcFieldSeparator))
        fBlank = at(n);
}

char32_t TEditMask::MaskChar(int o) const { return o >= 1 && o <= Length() ? fMask[static_cast<size_t>(o - 1)] : 0; }

TMaskCharType TEditMask::CharType(int o) const {
    return o >= 1 && o <= Length() ? fTypes[static_cast<size_t>(o - 1)] : mcNone;
}

TMaskDirectives TEditMask::Directives(int maskOffset) const {
    TMaskDirectives r;
    for (int i = 1; i <= Length(); ++i) {
        char32_t c = MaskChar(i);
        if (c == mDirReverse) {
            r.Include(mdReverseDir);
        } else if (c == mDirUpperCase && i < maskOffset) {
            r.Exclude(mdLowerCase);
            if (!(i > 1 && MaskChar(i - 1) == mDirLowerCase)) r.Include(mdUpperCase);
        } else if (c == mDirLowerCase && i < maskOffset) {
            r.Exclude(mdUpperCase);
            r.Include(mdLowerCase);
        }
    }
    if (CharType(maskOffset) == mcLiteral) r.Include(mdLiteralChar);
    return r;
}

int TEditMask::MaskOffsetToOffset(int maskOffset) const {
    int r = 0;
    for (int i = 1; i <= maskOffset; ++i) {
        TMaskCharType t = CharType(i);
        if (t != mcDirective && t != mcField && t != mcFieldSeparator) ++r;
    }
    return r;
}

int TEditMask::OffsetToMaskOffset(int offset) const {
    if (offset > fMaxChars) return -1;
    int r = 0, count = offset;
    for (int i = 1; i <= Length(); ++i) {
        ++r;
        if (CharType(i) != mcDirective && --count < 0) return r;
    }
    return r;
}

bool TEditMask::IsLiteralChar(int offset) const {
    int mo = OffsetToMaskOffset(offset);
    if (mo < 0) return false;
    TMaskCharType t = CharType(mo);
    return t == mcLiteral || t == mcIntlLiteral;
}

std::u32string TEditMask::DoFormatText(const std::u32string& value, char32_t blank) const {
    std::u32string r = value;
    if (!Directives(1).Contains(mdReverseDir)) {
        size_t offset = 0;  // 0-based insertion point
        for (int mo = 1; mo <= Length(); ++mo) {
            TMaskCharType t = CharType(mo);
            if (t == mcLiteral || t == mcIntlLiteral) {
                r.insert(std::min(offset, r.size()), 1, MaskIntlLiteralToChar(MaskChar(mo)));
                ++offset;
            } else if (t == mcMask || t == mcMaskOpt) {
                if (offset >= r.size()) r += blank;
                ++offset;
            }
        }
    } else {
        int offset = static_cast<int>(r.size());
        for (int mo = Length(); mo >= 1; --mo) {
            TMaskCharType t = CharType(mo);
            if (t == mcLiteral || t == mcIntlLiteral) {
                r.insert(static_cast<size_t>(std::max(offset, 0)), 1, MaskIntlLiteralToChar(MaskChar(mo)));
            } else if (t == mcMask || t == mcMaskOpt) {
                if (offset < 1) r.insert(r.begin(), blank);
                else --offset;
            }
        }
    }
    return r;
}

std::u32string TEditMask::PadInputLiterals(const std::u32string& value, char32_t blank) const {
    if (!IsMasked() || static_cast<int>(value.size()) >= fMaxChars) return value;
    auto fill = [&](int offset) {
        if (!IsLiteralChar(offset)) return blank;
        return MaskIntlLiteralToChar(MaskChar(OffsetToMaskOffset(offset)));
    };
    int missing = fMaxChars - static_cast<int>(value.size());
    std::u32string r;
    if (Directives(1).Contains(mdReverseDir)) {
        for (int i = 0; i < missing; ++i) r += fill(i);
        r += value;
    } else {
        r = value;
        for (int i = static_cast<int>(value.size()); i < fMaxChars; ++i) r += fill(i);
    }
    return r;
}

std::u32string TEditMask::RemoveEditFormat(const std::u32string& editText) const {
    std::u32string r = editText;
    size_t offset = 0;
    for (int mo = 1; mo <= Length(); ++mo) {
        TMaskCharType t = CharType(mo);
        if (t == mcLiteral || t == mcIntlLiteral) {
            if (offset < r.size()) r.erase(offset, 1);
        }
        if (t == mcMask || t == mcMaskOpt) ++offset;
    }
    if (Directives(1).Contains(mdReverseDir)) {
        size_t lead = 0;
        while (lead < r.size() && r[lead] == fBlank) ++lead;
        r.erase(0, lead);
    } else {
        while (!r.empty() && r.back() == fBlank) r.pop_back();
    }
    if (fBlank != U' ') std::replace(r.begin(), r.end(), fBlank, U' ');
    return r;
}

std::u32string TEditMask::AddEditFormat(const std::u32string& value, bool active) const {
    return DoFormatText(value, active ? fBlank : U' ');
}

std::string TEditMask::TextOf(const std::string& editText) const {
    if (!IsMasked()) return editText;
    std::u32string r = RemoveEditFormat(Utf8ToChars(editText));
    if (fSave) r = AddEditFormat(r, false);
    return CharsToUtf8(r);
}

std::string TEditMask::EditTextFor(const std::string& text) const {
    if (!IsMasked()) return text;
    std::u32string v = Utf8ToChars(text);
    return CharsToUtf8(fSave ? PadInputLiterals(v, fBlank) : AddEditFormat(v, true));
}

std::string TEditMask::Reformat(const std::string& editText, const TEditMask& newMask) const {
    std::u32string old = RemoveEditFormat(Utf8ToChars(editText));
    old = old.substr(0, static_cast<size_t>(std::max(newMask.fMaxChars, 0)));
    return CharsToUtf8(newMask.AddEditFormat(old, true));
}

std::string TEditMask::EmptyEditText() const { return CharsToUtf8(AddEditFormat(std::u32string(), true)); }
std::string TEditMask::EmptyText() const { return TextOf(EmptyEditText()); }
bool TEditMask::IsBlankText(const std::string& text) const { return Trim(text) == Trim(EmptyText()); }

bool TEditMask::Validate(const std::u32string& value, int& pos) const {
    size_t offset = 0;
    for (int mo = 1; mo <= Length(); ++mo) {
        TMaskCharType t = CharType(mo);
        if (t == mcLiteral || t == mcIntlLiteral || t == mcMaskOpt) {
            ++offset;
        } else if (t == mcMask && !value.empty()) {
            char32_t c = offset < value.size() ? value[offset] : 0;
            if (c == fBlank || (c == U' ' && MaskChar(mo) != mMskAscii)) {
                pos = static_cast<int>(offset);
                return false;
            }
            ++offset;
        }
    }
    return true;
}

// ---- Editing -------------------------------------------------------------------------------

int TEditMask::GetNextEditChar(int offset) const {
    while (offset < fMaxChars && IsLiteralChar(offset)) ++offset;
    return offset;
}

int TEditMask::GetPriorEditChar(int offset) const {
    while (offset >= 0 && IsLiteralChar(offset)) --offset;
    if (offset < 0) offset = GetNextEditChar(offset);
    return offset;
}

void TEditMask::SetCursor(TMaskEditBuffer& b, int pos) const {
    int start = std::max(pos, 0), stop = start + 1;
    if (start >= fMaxChars) {
        start = fMaxChars;
        stop = start;
    }
    b.SelStart = start;
    b.SelStop = stop;
    b.CaretPos = start;
}

void TEditMask::CheckCursor(TMaskEditBuffer& b) const {
    if (b.SelStart == b.SelStop) SetCursor(b, b.SelStart);
}

void TEditMask::CursorInc(TMaskEditBuffer& b, int cursorPos, int incr) const {
    int nu = GetNextEditChar(cursorPos + incr);
    if (IsLiteralChar(nu)) nu = cursorPos;
    SetCursor(b, nu);
}

void TEditMask::CursorDec(TMaskEditBuffer& b, int cursorPos) const { SetCursor(b, GetPriorEditChar(cursorPos - 1)); }

int TEditMask::FindLiteralChar(int maskOffset, char32_t c) const {
    while (maskOffset < Length()) {
        ++maskOffset;
        TMaskCharType t = CharType(maskOffset);
        if (t == mcLiteral || t == mcIntlLiteral) {
            char32_t lit = MaskChar(maskOffset);
            if (t == mcIntlLiteral) lit = MaskIntlLiteralToChar(lit);
            return lit == c ? maskOffset : -1;
        }
    }
    return -1;
}

bool TEditMask::DoInputChar(char32_t& c, int maskOffset) const {
    TMaskCharType t = CharType(maskOffset);
    if (t == mcLiteral || t == mcIntlLiteral) {
        c = MaskIntlLiteralToChar(MaskChar(maskOffset));
        return true;
    }
    TMaskDirectives dir = Directives(maskOffset);
    auto applyCase = [&] {
        if (dir.Contains(mdUpperCase)) c = ChangeCase(c, true);
        else if (dir.Contains(mdLowerCase)) c = ChangeCase(c, false);
    };
    switch (MaskChar(maskOffset)) {
        case mMskNumeric:
        case mMskNumericOpt:
            return IsDigit(c);
        case mMskNumSymOpt:
            return IsDigit(c) || c == U' ' || c == U'+' || c == U'-';
        case mMskAscii:
        case mMskAsciiOpt:
            if (IsAlpha(c)) applyCase();
            return true;
        case mMskAlpha:
        case mMskAlphaOpt:
        case mMskAlphaNum:
        case mMskAlphaNumOpt: {
            char32_t m = MaskChar(maskOffset);
            if (!IsAlpha(c)) return (m == mMskAlphaNum || m == mMskAlphaNumOpt) && IsDigit(c);
            applyCase();
            return true;
        }
        default:
            return true;
    }
}

bool TEditMask::InputChar(TMaskEditBuffer& b, char32_t& c, int offset) const {
    if (!IsMasked()) return true;
    int mo = OffsetToMaskOffset(offset);
    if (mo < 0) return false;
    TMaskCharType t = CharType(mo);
    char32_t typed = c;
    bool ok = DoInputChar(c, mo);
    if (!ok && (t == mcMask || t == mcMaskOpt)) {
        int lit = FindLiteralChar(mo, typed);
        if (lit > 0) SetCursor(b, MaskOffsetToOffset(lit));
    }
    return ok;
}

void TEditMask::ReplaceSel(TMaskEditBuffer& b, const std::u32string& s) {
    int len = static_cast<int>(b.Text.size());
    int s0 = std::clamp(std::min(b.SelStart, b.SelStop), 0, len);
    int e0 = std::clamp(std::max(b.SelStart, b.SelStop), 0, len);
    int rest = len - (e0 - s0);
    std::u32string ins = s;
    if (b.MaxLength > 0 && rest + static_cast<int>(ins.size()) > b.MaxLength)
        ins.resize(static_cast<size_t>(std::max(b.MaxLength - rest, 0)));
    b.Text.replace(static_cast<size_t>(s0), static_cast<size_t>(e0 - s0), ins);
    b.SelStart = b.SelStop = b.CaretPos = s0 + static_cast<int>(ins.size());
}

bool TEditMask::CharKeys(TMaskEditBuffer& b, char32_t c) const {
    int selStart = b.SelStart;
    if (b.SelStop - b.SelStart > 1) {
        DeleteKeys(b, false);
        selStart = GetNextEditChar(selStart);
        SetCursor(b, selStart);
    }
    bool typed = InputChar(b, c, selStart);
    if (typed) {
        ReplaceSel(b, std::u32string(1, c));
        CursorInc(b, b.SelStart, 0);
    }
    return typed;
}

void TEditMask::DeleteSelection(std::u32string& value, int offset, int len) const {
    if (len == 0) return;
    int str = offset, endDel = offset + len;
    int first = OffsetToMaskOffset(offset);
    if (first < 0) return;
    for (int mo = first; mo <= Length(); ++mo) {
        TMaskCharType t = CharType(mo);
        if (t == mcLiteral || t == mcIntlLiteral) {
            ++str;
        } else if (t == mcMask || t == mcMaskOpt) {
            if (str >= 0 && str < static_cast<int>(value.size())) value[static_cast<size_t>(str)] = fBlank;
            ++str;
        }
        if (str >= endDel) break;
    }
}

void TEditMask::DeleteKeys(TMaskEditBuffer& b, bool backspace) const {
    int s = b.SelStart, e = b.SelStop;
    if (e - s <= 1 && backspace) {
        int before = s;
        CursorDec(b, s);
        s = b.SelStart;
        e = b.SelStop;
        if (s == before) return;
    }
    if (e - s < 1) return;
    std::u32string str = b.Text;
    DeleteSelection(str, s, e - s);
    std::u32string piece = s < static_cast<int>(str.size()) ? str.substr(static_cast<size_t>(s), static_cast<size_t>(e - s))
                                                            : std::u32string();
    ReplaceSel(b, piece);
    if (e - s != 1) SetCursor(b, GetNextEditChar(s));
    else SetCursor(b, b.SelStart - 1);
}

void TEditMask::ArrowKeys(TMaskEditBuffer& b, bool right, bool shift, bool ctrl) const {
    if (ctrl) return;
    int s = b.SelStart, e = b.SelStop;
    if (shift) {
        // The selection grows or shrinks at the caret's end.
        if (right) {
            if (b.CaretPos <= s && e > s + 1) {
                b.SelStart = b.CaretPos = s + 1;
            } else {
                b.SelStop = std::min(e + 1, fMaxChars);
                b.CaretPos = b.SelStop;
            }
        } else {
            if (b.CaretPos >= e && e > s + 1) {
                b.SelStop = b.CaretPos = e - 1;
            } else {
                b.SelStart = std::max(s - 1, 0);
                b.CaretPos = b.SelStart;
            }
        }
        return;
    }
    if (e - s > 1) {
        int caret = b.CaretPos;
        if (e == caret) --caret;
        SetCursor(b, caret);
    } else if (!right) {
        CursorDec(b, s);
    } else if (e == s) {
        SetCursor(b, s);
    } else {
        CursorInc(b, s, 1);
    }
}

void TEditMask::HomeEndKeys(TMaskEditBuffer& b, bool home, bool shift) const {
    int s = b.SelStart, e = b.SelStop;
    if (home) {
        if (shift) {
            if (s != b.CaretPos && e != s + 1) e = s + 1;
            b.SelStart = 0;
            b.SelStop = e;
            CheckCursor(b);
        } else {
            SetCursor(b, 0);
        }
        b.CaretPos = 0;
    } else {
        if (shift) {
            if (e != b.CaretPos && e != s + 1) s = e - 1;
            b.SelStart = s;
            b.SelStop = fMaxChars;
            CheckCursor(b);
        } else {
            SetCursor(b, fMaxChars);
        }
        b.CaretPos = fMaxChars;
    }
}

// ---- The routines on mask texts --------------------------------------------------------------

TMaskCharType MaskGetCharType(const std::string& editMask, int maskOffset) {
    return TEditMask(editMask).CharType(maskOffset);
}
TMaskDirectives MaskGetCurrentDirectives(const std::string& editMask, int maskOffset) {
    return TEditMask(editMask).Directives(maskOffset);
}
int MaskGetFldSeparator(const std::string& editMask) {
    TEditMask m(editMask);
    for (int i = m.Length(); i >= 1; --i)
        if (m.CharType(i) == mcFieldSeparator) return i;
    return -1;
}
bool MaskGetMaskSave(const std::string& editMask) { return TEditMask(editMask).Save(); }
std::string MaskGetMaskBlank(const std::string& editMask) { return CharToUtf8(TEditMask(editMask).Blank()); }
int MaskOffsetToOffset(const std::string& editMask, int maskOffset) {
    return TEditMask(editMask).MaskOffsetToOffset(maskOffset);
}
int OffsetToMaskOffset(const std::string& editMask, int offset) { return TEditMask(editMask).OffsetToMaskOffset(offset); }
bool IsLiteralChar(const std::string& editMask, int offset) { return TEditMask(editMask).IsLiteralChar(offset); }

std::string MaskDoFormatText(const std::string& editMask, const std::string& value, char32_t blank) {
    return CharsToUtf8(TEditMask(editMask).DoFormatText(Utf8ToChars(value), blank));
}
std::string PadInputLiterals(const std::string& editMask, const std::string& value, char32_t blank) {
    return CharsToUtf8(TEditMask(editMask).PadInputLiterals(Utf8ToChars(value), blank));
}
std::string FormatMaskText(const std::string& editMask, const std::string& value) {
    TEditMask m(editMask);
    std::u32string v = Utf8ToChars(value);
    return CharsToUtf8(m.Save() ? m.PadInputLiterals(v, U' ') : m.DoFormatText(v, U' '));
}

std::string MaskBlankText(const std::string& editMask) { return TEditMask(editMask).EmptyText(); }

}  // namespace plat
