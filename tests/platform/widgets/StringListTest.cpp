// String lists: lines and text, name=value access, objects, sorting with duplicates, delimited
// text, change notification and index errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/widgets/StringList.h"

using namespace plat;

namespace {

std::vector<std::string> Lines(const TStrings& s) { return s.ToVector(); }
using V = std::vector<std::string>;

// Counts the change notifications of a list.
struct TChangeCounter : TObject {
    int Changing = 0, Changed = 0;
    void OnChanging(TObject*) { ++Changing; }
    void OnChanged(TObject*) { ++Changed; }
    void Attach(TStringList& l) {
        l.OnChanging = TNotifyEvent::Of<&TChangeCounter::OnChanging>(this);
        l.OnChange = TNotifyEvent::Of<&TChangeCounter::OnChanged>(this);
    }
};

struct TMarker : TObject {};

TEST(StringList, TextIsLinesEachEndedByCrLf) {
    TStringList l;
    l.Add("a");
    l.Add("");
    l.Add("b");
    EXPECT_EQ(l.Text(), "a\r\n\r\nb\r\n");
    l.Clear();
    EXPECT_EQ(l.Text(), "");
}

TEST(StringList, SettingTextSplitsAtCrLfLfOrCr) {
    struct Case {
        std::string text;
        V lines;
    };
    const Case cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR is two breaks
        {"\r\n", {""}},
        {"", {}},
        {"  x  ", {"  x  "}},
        {std::string("a\0b", 3), {"a"}},  // the text ends at a NUL
        {"中文\r\n行", {"中文", "行"}},
    };
    for (const auto& c : cases) {
        TStringList l;
        l.Add("old");
        l.SetText(c.text);
        EXPECT_EQ(Lines(l), c.lines) << testing::PrintToString(c.text);
    }
}

TEST(StringList, AddInsertDeleteAndIndexOf) {
    TStringList l;
    EXPECT_EQ(l.Add("one"), 0);
    EXPECT_EQ(l.Add("three"), 1);
    l.Insert(1, "two");
    l.Insert(3, "four");  // at the end is allowed
    EXPECT_EQ(Lines(l), (V{"one", "two", "three", "four"}));
    l.Delete(0);
    EXPECT_EQ(Lines(l), (V{"two", "three", "four"}));
    l.SetStrings(1, "THREE");
    EXPECT_EQ(l[1], "THREE");
    EXPECT_EQ(l.IndexOf("three"), 1);  // without regard to case
    EXPECT_EQ(l.IndexOf("five"), -1);
    l.Move(2, 0);
    EXPECT_EQ(Lines(l), (V{"four", "two", "THREE"}));
}

TEST(StringList, IndexErrorsNameTheIndex) {
    TStringList l;
    l.Add("a");
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const EListError& e) {
            return std::string(e.what());
        }
        return std::string("no EListError");
    };
    EXPECT_EQ(message([&] { (void)l.Get(1); }), "List index out of bounds (1)");
    EXPECT_EQ(message([&] { (void)l.Get(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(message([&] { l.Delete(5); }), "List index out of bounds (5)");
    EXPECT_EQ(message([&] { l.Insert(2, "x"); }), "List index out of bounds (2)");
    EXPECT_EQ(message([&] { l.SetStrings(3, "x"); }), "List index out of bounds (3)");
    EXPECT_EQ(message([&] { l.SetObjects(1, nullptr); }), "List index out of bounds (1)");
    EXPECT_EQ(message([&] { l.Exchange(0, 1); }), "List index out of bounds (1)");
    EXPECT_EQ(Lines(l), V{"a"});
}

TEST(StringList, NameValueAccess) {
    TStringList l;
    l.SetText("Sys001=1\r\nSys002=/\r\nplain line\r\nurl=a=b\r\n=nameless");
    EXPECT_EQ(l.Names(0), "Sys001");
    EXPECT_EQ(l.Names(2), "");  // no separator: no name
    EXPECT_EQ(l.Values("sys002"), "/");  // names compare without regard to case
    EXPECT_EQ(l.Values("url"), "a=b");   // the value is all after the first '='
    EXPECT_EQ(l.Values("missing"), "");
    EXPECT_EQ(l.Values(""), "nameless");
    EXPECT_EQ(l.IndexOfName("URL"), 3);
    EXPECT_EQ(l.ValueFromIndex(3), "a=b");
    EXPECT_EQ(l.ValueFromIndex(2), "");
    EXPECT_EQ(l.ValueFromIndex(-1), "");

    l.SetValues("SYS001", "3");  // replaces the line, spelled as given
    EXPECT_EQ(l[0], "SYS001=3");
    l.SetValues("new", "x");  // adds
    EXPECT_EQ(l[l.Count() - 1], "new=x");
    l.SetValues("sys002", "");  // an empty value deletes the line
    EXPECT_EQ(l.IndexOfName("Sys002"), -1);
    l.SetValueFromIndex(0, "7");
    EXPECT_EQ(l[0], "SYS001=7");
    l.SetValueFromIndex(-1, "v");  // a new line without a name
    EXPECT_EQ(l[l.Count() - 1], "=v");

    TStringList colon;
    colon.SetNameValueSeparator(':');
    colon.SetValues("key", "value");
    EXPECT_EQ(colon[0], "key:value");
    EXPECT_EQ(colon.Values("KEY"), "value");
}

TEST(StringList, ObjectsTravelWithTheirLines) {
    TMarker m1, m2;
    TStringList l;
    l.AddObject("a", &m1);
    l.Add("b");
    l.AddObject("c", &m2);
    l.Exchange(0, 2);
    EXPECT_EQ(Lines(l), (V{"c", "b", "a"}));
    EXPECT_EQ(l.Objects(0), &m2);
    EXPECT_EQ(l.Objects(2), &m1);
    l.Move(2, 1);
    EXPECT_EQ(l.Objects(1), &m1);
    EXPECT_EQ(l.IndexOfObject(&m1), 1);
    l.SetStrings(1, "A");  // replacing the text keeps the object
    EXPECT_EQ(l.Objects(1), &m1);
    l.InsertObject(0, "first", &m2);
    EXPECT_EQ(l.Objects(0), &m2);
    EXPECT_EQ(l.IndexOfObject(nullptr), 3);
}

TEST(StringList, SortedListsKeepOrderAndHandleDuplicates) {
    struct Case {
        TDuplicates dup;
        V lines;
    };
    const Case cases[] = {
        {dupIgnore, {"apple", "Banana", "cherry"}},
        {dupAccept, {"apple", "banana", "Banana", "cherry"}},  // a duplicate goes before its equals
    };
    for (const auto& c : cases) {
        TStringList l;
        l.SetSorted(true);
        l.SetDuplicates(c.dup);
        l.Add("cherry");
        l.Add("Banana");
        l.Add("apple");
        int at = l.Add("banana");
        EXPECT_EQ(Lines(l), c.lines) << c.dup;
        EXPECT_EQ(at, 1) << c.dup;  // an ignored duplicate answers the existing line's index
        int index = -1;
        EXPECT_TRUE(l.Find("BANANA", index));
        EXPECT_EQ(index, 1);
        EXPECT_FALSE(l.Find("blueberry", index));
        EXPECT_EQ(index, static_cast<int>(c.lines.size()) - 1);  // where it would go
    }

    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(dupError);
    l.Add("x");
    EXPECT_THROW(l.Add("X"), EListError);
    EXPECT_THROW(l.Insert(0, "a"), EListError);  // position is the list's to choose
    EXPECT_THROW(l.SetStrings(0, "a"), EListError);
    try {
        l.Add("x");
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "String list does not allow duplicates");
    }
}

TEST(StringList, SortingAnUnsortedListAndCaseSensitivity) {
    TStringList l;
    l.SetCommaText("b,C,a,B");
    l.SetSorted(true);
    EXPECT_EQ(Lines(l), (V{"a", "b", "B", "C"}));  // equal lines keep their order
    l.SetCaseSensitive(true);  // re-sorted by the case-sensitive order of the locale
    for (int i = 1; i < l.Count(); ++i) EXPECT_LE(l.CompareStrings(l[i - 1], l[i]), 0);
    EXPECT_EQ(l.IndexOf("c"), -1);
    ASSERT_GE(l.IndexOf("C"), 0);
    EXPECT_EQ(l[l.IndexOf("C")], "C");
    int index = -1;
    EXPECT_TRUE(l.Find("B", index));
    EXPECT_EQ(l[index], "B");
    TStringList u;
    u.SetCaseSensitive(true);
    u.SetCommaText("x,X");
    EXPECT_EQ(u.IndexOf("X"), 1);
}

TEST(StringList, DelimitedTextWritesQuotesWhereNeeded) {
    struct Case {
        V lines;
        std::string comma;
    };
    const Case cases[] = {
        {{"a", "b"}, "a,b"},
        {{"a b", "c,d", "e\"f", ""}, "\"a b\",\"c,d\",\"e\"\"f\","},
        {{""}, "\"\""},
        {{}, ""},
        {{"", ""}, ","},
        {{"中文", "x\ty"}, "中文,\"x\ty\""},
    };
    for (const auto& c : cases) {
        TStringList l;
        l.AddStrings(c.lines);
        EXPECT_EQ(l.CommaText(), c.comma);
    }
    TStringList l;
    l.SetDelimiter(';');
    l.SetQuoteChar('\'');
    l.AddStrings(V{"it's", "a;b", "c"});
    EXPECT_EQ(l.DelimitedText(), "'it''s';'a;b';c");
    EXPECT_EQ(l.CommaText(), "it's,a;b,c");  // comma text ignores the list's own settings
}

TEST(StringList, DelimitedTextReadsQuotesBlanksAndEmptyItems) {
    struct Case {
        std::string text;
        V lines;
    };
    const Case cases[] = {
        {"a,b", {"a", "b"}},
        {"  a , b ,\"c d\",\"e\"\"f\",,g", {"a", "b", "c d", "e\"f", "", "g"}},
        {"a b", {"a", "b"}},  // unquoted blanks separate too
        {"a,", {"a", ""}},
        {"\"\"", {""}},
        {"\"abc", {"ab"}},  // an unterminated quote loses its last character
        {"\"x\"y", {"x", "y"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        TStringList l;
        l.SetCommaText(c.text);
        EXPECT_EQ(Lines(l), c.lines) << c.text;
    }
    TStringList l;
    l.SetDelimiter('|');
    l.SetDelimitedText("a|b c|'d|e'");
    EXPECT_EQ(Lines(l), (V{"a", "b", "c", "'d", "e'"}));
    l.SetQuoteChar('\'');
    l.SetDelimitedText("a|'d|e'");
    EXPECT_EQ(Lines(l), (V{"a", "d|e"}));
}

TEST(StringList, ChangeNotification) {
    TChangeCounter n;
    TStringList l;
    n.Attach(l);
    l.Add("a");
    l.Add("b");
    EXPECT_EQ(n.Changing, 2);
    EXPECT_EQ(n.Changed, 2);

    n.Changing = n.Changed = 0;
    l.BeginUpdate();
    l.Add("c");
    l.BeginUpdate();  // nested
    l.Delete(0);
    l.EndUpdate();
    EXPECT_EQ(n.Changed, 0);
    l.EndUpdate();
    EXPECT_EQ(n.Changing, 1);
    EXPECT_EQ(n.Changed, 1);

    n.Changing = n.Changed = 0;
    l.SetText("x\ny\nz");  // one notification for the whole text
    EXPECT_EQ(n.Changed, 1);
    l.Clear();
    l.Clear();  // clearing an empty list is no change
    EXPECT_EQ(n.Changed, 2);
    EXPECT_THROW(l.Delete(0), EListError);
    EXPECT_EQ(n.Changing, 2);  // a refused change announces nothing
}

TEST(StringList, AssignCopiesLinesObjectsAndSettings) {
    TMarker m;
    TStringList src;
    src.AddObject("a=1", &m);
    src.Add("b=2");
    src.SetNameValueSeparator(':');
    src.SetDelimiter(';');
    TStringList dst;
    dst.Add("old");
    dst.Assign(&src);
    EXPECT_EQ(Lines(dst), (V{"a=1", "b=2"}));
    EXPECT_EQ(dst.Objects(0), &m);
    EXPECT_EQ(dst.NameValueSeparator(), ':');
    EXPECT_EQ(dst.Delimiter(), ';');
    EXPECT_TRUE(dst.Equals(&src));
    dst.SetStrings(1, "b=3");
    EXPECT_FALSE(dst.Equals(&src));

    struct TOther : TPersistent {} notAList;
    EXPECT_THROW(dst.Assign(&notAList), EConvertError);
}

TEST(StringList, FilesRoundTrip) {
    auto path = std::filesystem::temp_directory_path() / ("strlist_" + std::to_string(::getpid()) + ".txt");
    TStringList l;
    l.AddStrings(V{"第一行", "", "line 3"});
    l.SaveToFile(path.string());
    TStringList back;
    back.LoadFromFile(path.string());
    EXPECT_EQ(Lines(back), Lines(l));
    std::filesystem::remove(path);
    EXPECT_THROW(back.LoadFromFile(path.string()), EInOutError);
}

TEST(StringList, IsAClassNamedTStrings) {
    EXPECT_EQ(TStrings::StaticClass().Type.Name, "TStrings");
    EXPECT_EQ(TStrings::StaticClass().Type.Kind, tkClass);
    TStringList l;
    EXPECT_TRUE(l.InheritsFrom("TStrings"));
    EXPECT_EQ(l.ClassName(), "TStringList");
}

}  // namespace
