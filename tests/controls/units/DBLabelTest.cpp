// The attached label: placement on four sides with clamping, and the uniqueness rule.
#include <gtest/gtest.h>

#include "controls/DBLabel.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"

using namespace plat;
using namespace qm;

namespace {

class DBLabelTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Edit = CreateObject<TEdit>(Form);
        Edit->SetParent(Form);
        Label = CreateObject<TDBLabel>(Form);
        Label->SetParent(Form);
        Label->SetAutoSize(false);
        ClearDialogTranscript();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TDBLabel* Label = nullptr;
};

TEST_F(DBLabelTest, NewLabel) {
    auto* l = CreateObject<TDBLabel>(Form);
    EXPECT_EQ(l->Caption(), "挂靠标签");
    EXPECT_EQ(l->Pos(), psLeft);
    EXPECT_EQ(l->Gap(), 4);
    EXPECT_TRUE(l->AutoAlign());
    EXPECT_TRUE(l->AutoCaption());
}

struct PlaceCase {
    TPos Pos;
    TRect EditBounds;  // left, top, width, height
    int LabelW, LabelH;
    int Left, Top;
};

TEST_F(DBLabelTest, PlacesItselfBesideTheControl) {
    const PlaceCase cases[] = {
        {psLeft, {130, 9, 132, 21}, 104, 13, 22, 13},   // 9 + 10 - 6
        {psLeft, {50, 9, 132, 21}, 104, 13, 0, 13},     // would be -58
        {psLeft, {130, 9, 132, 21}, 104, 21, 22, 9},    // same height: the edit's top
        {psRight, {130, 9, 132, 21}, 40, 13, 266, 13},
        {psTop, {130, 9, 132, 21}, 40, 13, 130, 0},     // 9 - 13 - 4 clamped
        {psTop, {130, 40, 132, 21}, 40, 13, 130, 23},
        {psBottom, {130, 9, 132, 21}, 40, 13, 130, 34},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Pos));
        Label->SetFocusControl(nullptr);
        Edit->SetBounds(c.EditBounds.Left, c.EditBounds.Top, c.EditBounds.Right, c.EditBounds.Bottom);
        Label->SetBounds(0, 0, c.LabelW, c.LabelH);
        Label->SetPos(c.Pos);
        Label->SetFocusControl(Edit);
        EXPECT_EQ(Label->Left(), c.Left);
        EXPECT_EQ(Label->Top(), c.Top);
    }
}

TEST_F(DBLabelTest, AutoAlignOffLeavesTheLabel) {
    Label->SetAutoAlign(false);
    Label->SetBounds(300, 300, 40, 13);
    Edit->SetBounds(130, 9, 132, 21);
    Label->SetFocusControl(Edit);
    EXPECT_EQ(Label->Left(), 300);
    EXPECT_EQ(Label->FocusControl(), Edit);
}

TEST_F(DBLabelTest, SecondLabelForTheSameControlIsRefused) {
    Label->SetFocusControl(Edit);
    auto* other = CreateObject<TDBLabel>(Form);
    other->SetParent(Form);
    other->SetFocusControl(Edit);
    EXPECT_EQ(other->FocusControl(), nullptr);
    ASSERT_EQ(DialogTranscript().size(), 1u);
    EXPECT_EQ(DialogTranscript()[0].Kind, "error");
    EXPECT_EQ(DialogTranscript()[0].Text, "不能同时有两个 DBLabel 指到同一个 Control.");
    // Binding the same control again is refused silently.
    Label->SetFocusControl(Edit);
    EXPECT_EQ(DialogTranscript().size(), 1u);
    Label->SetFocusControl(nullptr);
    other->SetFocusControl(Edit);
    EXPECT_EQ(other->FocusControl(), Edit);
}

}  // namespace

#include "platform/widgets/DBCtrls.h"

namespace {

TEST_F(DBLabelTest, CaptionFromTheFieldOfADataAwareControl) {
    auto* ds = CreateObject<TDataSet>(Form);
    auto* field = CreateObject<TStringField>(Form);
    field->SetFieldName("DeptNo");
    field->SetDisplayLabel("部门编号");
    field->SetDataSet(ds);
    auto* src = CreateObject<TDataSource>(Form);
    src->SetDataSet(ds);
    auto* dbEdit = CreateObject<TDBEdit>(Form);
    dbEdit->SetParent(Form);
    dbEdit->SetDataSource(src);
    dbEdit->SetDataField("DeptNo");
    Label->SetFocusControl(dbEdit);
    EXPECT_EQ(Label->Caption(), "部门编号");
    // A field the data set lacks leaves the caption; so does a plain edit.
    Label->SetCaption("x");
    dbEdit->SetDataField("Nothing");
    Label->RefreshCaption();
    EXPECT_EQ(Label->Caption(), "x");
    Label->SetFocusControl(Edit);
    EXPECT_EQ(Label->Caption(), "x");
}

}  // namespace
