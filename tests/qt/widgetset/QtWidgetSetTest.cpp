// The Qt widgetset on the offscreen platform: a model form shown as a real window, input sent
// as Qt events to its widgets, the model deciding and the widgets following.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "qt/QtTestSupport.h"
#include "platform/forms/DfmReader.h"
#include "platform/core/SysUtils.h"
#include "platform/forms/Forms.h"
#include "platform/qt/QtPaint.h"
#include "platform/qt/QtProperties.h"
#include "platform/system/Shell.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/Buttons.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/ExtCtrls.h"
#include "platform/widgets/Mask.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;
using qttest::StartQt;
using qttest::Fixture;

namespace {

class TfrmSample : public TForm {
    PLAT_CLASS(TfrmSample)
    explicit TfrmSample(TComponent* owner) : TForm(owner, 0) {}
    TLabel* lblName = nullptr;
    TEdit* edtName = nullptr;
    TEdit* edtCode = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;
    TMaskEdit* medDate = nullptr;
    TComboBox* cboKind = nullptr;
    TCheckBox* chkAll = nullptr;
    TPageControl* pgcMain = nullptr;
    TListView* lvItems = nullptr;
    std::vector<std::string> Log;
    bool RefusePageChange = false;
    void Changing(TObject*, bool& allow) {
        Log.push_back("changing");
        allow = !RefusePageChange;
    }
    void Note(TObject* s) { Log.push_back("note " + static_cast<TComponent*>(s)->Name()); }
    bool RefuseEmptyName = false;
    void FormShow(TObject*) { Log.push_back("show"); }
    void Enter(TObject* s) { Log.push_back("enter " + static_cast<TComponent*>(s)->Name()); }
    void Exit(TObject* s) { Log.push_back("exit " + static_cast<TComponent*>(s)->Name()); }
    // The form's own check: an empty name may not be left.
    void edtNameExit(TObject* s) {
        Exit(s);
        if (RefuseEmptyName && edtName->Text().empty()) edtName->SetFocus();
    }
};
PLAT_REGISTER_CLASS(TfrmSample, TForm) {
    PLAT_FIELD(lblName);
    PLAT_FIELD(edtName);
    PLAT_FIELD(edtCode);
    PLAT_FIELD(btnOK);
    PLAT_FIELD(btnCancel);
    PLAT_FIELD(medDate);
    PLAT_FIELD(cboKind);
    PLAT_FIELD(chkAll);
    PLAT_FIELD(pgcMain);
    PLAT_FIELD(lvItems);
    PLAT_METHOD(FormShow);
    PLAT_METHOD(edtNameExit);
}

// A control with no native counterpart, painted through the model's canvas.
class TSwatch : public TCustomControl {
    PLAT_CLASS(TSwatch)
    using TCustomControl::TCustomControl;
};
PLAT_REGISTER_CLASS(TSwatch, TCustomControl) {}



class QtFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartQt()); }
    void SetUp() override {
        ASSERT_EQ(WidgetSet().Name(), "qt");
        form = CreateObject<TfrmSample>(nullptr);
        ReadDescriptionFile(form, Fixture("Sample.dfm"));
        form->edtName->OnEnter = TNotifyEvent::Of<&TfrmSample::Enter>(form);
        form->edtCode->OnEnter = TNotifyEvent::Of<&TfrmSample::Enter>(form);
        form->edtCode->OnExit = TNotifyEvent::Of<&TfrmSample::Exit>(form);
    }
    void TearDown() override {
        if (form) form->Free();
        QCoreApplication::processEvents();
    }
    // Where a person's keys go: the focus widget of the form's window.
    QWidget* KeyWidget() {
        QWidget* win = QtWidgetOf(form);
        return win && win->focusWidget() ? win->focusWidget() : win;
    }
    TfrmSample* form = nullptr;
};

TEST_F(QtFixture, ShownFormIsARealWindowWithTheModelsGeometryAndTexts) {
    form->Show();
    QWidget* win = QtWidgetOf(form);
    ASSERT_NE(win, nullptr);
    EXPECT_TRUE(win->isWindow());
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle().toStdString(), "费用预算 Options");
    EXPECT_EQ(win->size(), QSize(form->ClientWidth(), form->ClientHeight()));
    auto* le = qobject_cast<QLineEdit*>(QtWidgetOf(form->edtName));
    ASSERT_NE(le, nullptr);
    EXPECT_EQ(le->parentWidget(), win);
    EXPECT_EQ(le->geometry(), QRect(100, 16, 200, 20));
    EXPECT_EQ(le->text().toStdString(), "ABC");
    auto* ok = qobject_cast<QPushButton*>(QtWidgetOf(form->btnOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text().toStdString(), "OK");
    // The model's focus (first in tab order) is the window's focus.
    EXPECT_EQ(form->ActiveControl(), form->edtName);
    EXPECT_EQ(win->focusWidget(), le);
}

// Each change made to the model shows on the widget.
struct TFollowCase {
    const char* what;
    void (*change)(TfrmSample*);
    bool (*shown)(TfrmSample*);
};
class QtFollowTest : public QtFixture, public ::testing::WithParamInterface<TFollowCase> {};

TEST_P(QtFollowTest, WidgetFollowsTheModel) {
    form->Show();
    ASSERT_FALSE(GetParam().shown(form)) << GetParam().what << " already so before the change";
    GetParam().change(form);
    EXPECT_TRUE(GetParam().shown(form)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Changes, QtFollowTest,
    ::testing::Values(
        TFollowCase{"bounds", [](TfrmSample* f) { f->edtCode->SetBounds(10, 90, 150, 24); },
                    [](TfrmSample* f) { return QtWidgetOf(f->edtCode)->geometry() == QRect(10, 90, 150, 24); }},
        TFollowCase{"hidden", [](TfrmSample* f) { f->edtCode->SetVisible(false); },
                    [](TfrmSample* f) { return QtWidgetOf(f->edtCode)->isHidden(); }},
        TFollowCase{"disabled", [](TfrmSample* f) { f->btnOK->SetEnabled(false); },
                    [](TfrmSample* f) { return !QtWidgetOf(f->btnOK)->isEnabled(); }},
        TFollowCase{"text", [](TfrmSample* f) { f->edtCode->SetText("Z9"); },
                    [](TfrmSample* f) { return qobject_cast<QLineEdit*>(QtWidgetOf(f->edtCode))->text() == "Z9"; }},
        TFollowCase{"caption", [](TfrmSample* f) { f->SetCaption("Other"); },
                    [](TfrmSample* f) { return QtWidgetOf(f)->windowTitle() == "Other"; }},
        TFollowCase{"font", [](TfrmSample* f) { f->btnOK->Font()->SetHeight(-20); },
                    [](TfrmSample* f) { return QtWidgetOf(f->btnOK)->font().pixelSize() == 20; }},
        TFollowCase{"colour", [](TfrmSample* f) { f->edtCode->SetColor(clYellow); },
                    [](TfrmSample* f) {
                        return QtWidgetOf(f->edtCode)->palette().color(QPalette::Base) == QColor(255, 255, 0);
                    }},
        TFollowCase{"cursor", [](TfrmSample* f) { f->btnOK->SetCursor(crHandPoint); },
                    [](TfrmSample* f) { return QtWidgetOf(f->btnOK)->cursor().shape() == Qt::PointingHandCursor; }},
        TFollowCase{"form hidden", [](TfrmSample* f) { f->Hide(); },
                    [](TfrmSample* f) { return !QtWidgetOf(f)->isVisible(); }}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (auto& c : n)
            if (c == ' ') c = '_';
        return n;
    });

TEST_F(QtFixture, TypedTextReachesTheModel) {
    form->Show();
    ASSERT_TRUE(form->edtName->Focused());
    // Entering selected the text (AutoSelect): typing replaces it.
    QTest::keyClicks(KeyWidget(), "xy");
    EXPECT_EQ(form->edtName->Text(), "xy");
    // Text committed by an input method arrives whole.
    QInputMethodEvent im;
    im.setCommitString(QStringLiteral("名称"));
    QCoreApplication::sendEvent(KeyWidget(), &im);
    EXPECT_EQ(form->edtName->Text(), "xy名称");
    QTest::keyClick(KeyWidget(), Qt::Key_Backspace);
    EXPECT_EQ(form->edtName->Text(), "xy名");
    // The widget shows the model's text and caret.
    auto* le = qobject_cast<QLineEdit*>(QtWidgetOf(form->edtName));
    EXPECT_EQ(le->text().toStdString(), "xy名");
    EXPECT_EQ(le->cursorPosition(), 3);
}

TEST_F(QtFixture, AMaskedDateTypesThroughTheMaskEngine) {
    form->Show();
    QTest::mouseClick(QtWidgetOf(form->medDate), Qt::LeftButton, {}, QPoint(2, 5));
    ASSERT_TRUE(form->medDate->Focused());
    QTest::keyClicks(KeyWidget(), "2024a0315");  // the letter is refused by the mask
    EXPECT_EQ(form->medDate->EditText(), "2024/03/15");
    EXPECT_EQ(qobject_cast<QLineEdit*>(QtWidgetOf(form->medDate))->text().toStdString(), "2024/03/15");
}

TEST_F(QtFixture, AChoiceInTheNativeComboListIsTheUsersChoiceInTheModel) {
    form->cboKind->OnSelect = TNotifyEvent::Of<&TfrmSample::Note>(form);
    form->Show();
    auto* combo = qobject_cast<QComboBox*>(QtWidgetOf(form->cboKind));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), 0);
    emit combo->activated(2);  // what the native list reports when a person picks
    EXPECT_EQ(form->cboKind->ItemIndex(), 2);
    EXPECT_EQ(form->cboKind->Text(), "预算");
    EXPECT_EQ(form->Log.back(), "note cboKind");
    // A selection made in code shows too.
    form->cboKind->SetItemIndex(1);
    QTest::mouseClick(QtWidgetOf(form->edtCode), Qt::LeftButton);  // any input refreshes the peers
    EXPECT_EQ(combo->currentIndex(), 1);
}

TEST_F(QtFixture, ClickingACheckBoxTogglesItInTheModel) {
    form->Show();
    auto* box = qobject_cast<QCheckBox*>(QtWidgetOf(form->chkAll));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form->chkAll->Checked());
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form->chkAll->Checked());
    EXPECT_FALSE(box->isChecked());
}

TEST_F(QtFixture, ATabClickChangesThePageUnlessOnChangingRefuses) {
    form->pgcMain->OnChanging = TTabChangingEvent::Of<&TfrmSample::Changing>(form);
    form->Show();
    TRect tab = form->pgcMain->TabRect(1);
    QPoint at((tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    form->RefusePageChange = true;
    QTest::mouseClick(QtWidgetOf(form->pgcMain), Qt::LeftButton, {}, at);
    EXPECT_EQ(form->pgcMain->ActivePageIndex(), 0);
    EXPECT_EQ(form->Log.back(), "changing");
    form->RefusePageChange = false;
    QTest::mouseClick(QtWidgetOf(form->pgcMain), Qt::LeftButton, {}, at);
    EXPECT_EQ(form->pgcMain->ActivePageIndex(), 1);
    // The pages' widgets follow: the second shows, the first is hidden.
    EXPECT_TRUE(QtWidgetOf(form->pgcMain->Pages(1))->isVisible());
    EXPECT_FALSE(QtWidgetOf(form->pgcMain->Pages(0))->isVisible());
}

TEST_F(QtFixture, ClickingAListViewRowSelectsItAndTheRowIsRepaintedHighlighted) {
    form->Show();
    TListItem* second = form->lvItems->Items()->Item(1);
    TRect r = form->lvItems->ItemRect(second);
    QWidget* w = QtWidgetOf(form->lvItems);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(r.Left + 10, (r.Top + r.Bottom) / 2));
    EXPECT_EQ(form->lvItems->Selected(), second);
    EXPECT_TRUE(form->lvItems->Focused());
    QImage img = w->grab().toImage();
    EXPECT_EQ(img.pixelColor(r.Right - 3, r.Top + 1), QtColor(clHighlight));
    TRect first = form->lvItems->ItemRect(form->lvItems->Items()->Item(0));
    EXPECT_NE(img.pixelColor(first.Right - 3, first.Top + 1), QtColor(clHighlight));
}

TEST_F(QtFixture, KeyPreviewOfTheFormComesFirst) {
    class TPreview : public TObject {
    public:
        std::vector<std::string> Log;
        void Down(TObject* s, uint16_t& key, TShiftState) {
            Log.push_back(static_cast<TComponent*>(s)->Name() + " " + std::to_string(key));
            if (key == 'Q') key = 0;  // consumed by the form
        }
    };
    TPreview p;
    form->SetKeyPreview(true);
    form->OnKeyDown = TKeyEvent::Of<&TPreview::Down>(&p);
    form->edtName->OnKeyDown = TKeyEvent::Of<&TPreview::Down>(&p);
    form->Show();
    QTest::keyClick(KeyWidget(), Qt::Key_F2);
    EXPECT_EQ(p.Log, (std::vector<std::string>{"frmSample 113", "edtName 113"}));
    p.Log.clear();
    QTest::keyClick(KeyWidget(), Qt::Key_Q);
    EXPECT_EQ(p.Log, (std::vector<std::string>{"frmSample 81"}));
    // Keys Qt would keep for its focus chain or tab widgets reach the model's key handling.
    p.Log.clear();
    QTest::keyClick(KeyWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(KeyWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(p.Log, (std::vector<std::string>{"frmSample 9", "edtName 9", "frmSample 34", "edtName 34"}));
    EXPECT_TRUE(form->edtName->Focused());
}

TEST_F(QtFixture, AcceleratorsAreTheModelsNotQtMnemonics) {
    form->Show();
    form->edtCode->SetFocus();
    // "&Name" labels the name edit: Alt+N focuses it through the model's dialog characters.
    QTest::keyClick(KeyWidget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(form->edtName->Focused());
    EXPECT_EQ(QtWidgetOf(form)->focusWidget(), QtWidgetOf(form->edtName));
    // A button's "&" caption clicks it through the model: the modal result is the button's.
    form->btnCancel->SetCaption("&Cancel");
    QTest::keyClick(KeyWidget(), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(form->ModalResult(), mrCancel);
}

TEST_F(QtFixture, TabMovesTheFocusWithExitThenEnterAndQtFollows) {
    form->Show();
    form->Log.clear();
    QTest::keyClick(KeyWidget(), Qt::Key_Tab);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"exit edtName", "enter edtCode"}));
    EXPECT_TRUE(form->edtCode->Focused());
    EXPECT_EQ(QtWidgetOf(form)->focusWidget(), QtWidgetOf(form->edtCode));
    form->Log.clear();
    QTest::keyClick(KeyWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"exit edtCode", "enter edtName"}));
    EXPECT_EQ(QtWidgetOf(form)->focusWidget(), QtWidgetOf(form->edtName));
}

TEST_F(QtFixture, AnExitHandlerThatRefusesKeepsTheFocus) {
    form->RefuseEmptyName = true;
    form->Show();
    form->edtName->SetText("");
    form->Log.clear();
    QTest::keyClick(KeyWidget(), Qt::Key_Tab);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"exit edtName", "enter edtName"}));
    EXPECT_TRUE(form->edtName->Focused());
    EXPECT_EQ(QtWidgetOf(form)->focusWidget(), QtWidgetOf(form->edtName));
    // With a name the same key leaves.
    QTest::keyClicks(KeyWidget(), "n");
    QTest::keyClick(KeyWidget(), Qt::Key_Tab);
    EXPECT_TRUE(form->edtCode->Focused());
}

TEST_F(QtFixture, ClickingAnEditMovesTheFocusThroughTheModel) {
    form->Show();
    form->Log.clear();
    QTest::mouseClick(QtWidgetOf(form->edtCode), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form->Log, (std::vector<std::string>{"exit edtName", "enter edtCode"}));
    EXPECT_EQ(QtWidgetOf(form)->focusWidget(), QtWidgetOf(form->edtCode));
}

// A modal form runs a nested Qt loop until its modal result is set.
struct TModalCase {
    const char* name;
    void (*act)(TfrmSample*);
    int expected;
};
class QtModalTest : public QtFixture, public ::testing::WithParamInterface<TModalCase> {};

TEST_P(QtModalTest, EndsWithTheModalResult) {
    TfrmSample* f = form;
    QTimer::singleShot(0, [f] { GetParam().act(f); });
    // Never hang: an unanswered form ends as Abort, which no case expects.
    QTimer::singleShot(5000, [f] { f->SetModalResult(mrAbort); });
    int result = form->ShowModal();
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(QtWidgetOf(form)->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QtModalTest,
    ::testing::Values(
        TModalCase{"ClickOK", [](TfrmSample* f) { QTest::mouseClick(QtWidgetOf(f->btnOK), Qt::LeftButton); }, mrOk},
        TModalCase{"ClickCancel",
                   [](TfrmSample* f) { QTest::mouseClick(QtWidgetOf(f->btnCancel), Qt::LeftButton); }, mrCancel},
        TModalCase{"EnterPressesTheDefaultButton",
                   [](TfrmSample* f) { QTest::keyClick(QtWidgetOf(f)->focusWidget(), Qt::Key_Return); }, mrOk},
        TModalCase{"EscPressesTheCancelButton",
                   [](TfrmSample* f) { QTest::keyClick(QtWidgetOf(f)->focusWidget(), Qt::Key_Escape); }, mrCancel},
        TModalCase{"WindowClosed", [](TfrmSample* f) { QtWidgetOf(f)->close(); }, mrCancel}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(QtFixture, ARefusedCloseKeepsTheModalLoopRunning) {
    class TGuard : public TObject {
    public:
        int Asked = 0;
        void Query(TObject*, bool& canClose) { canClose = ++Asked > 1; }
    };
    TGuard g;
    form->OnCloseQuery = TCloseQueryEvent::Of<&TGuard::Query>(&g);
    TfrmSample* f = form;
    QTimer::singleShot(0, [f] {
        QTest::mouseClick(QtWidgetOf(f->btnOK), Qt::LeftButton);  // refused
        QTimer::singleShot(0, [f] { QTest::mouseClick(QtWidgetOf(f->btnCancel), Qt::LeftButton); });
    });
    QTimer::singleShot(5000, [f] { f->SetModalResult(mrAbort); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(g.Asked, 2);
}

TEST_F(QtFixture, PostedMessagesRunFromTheQtLoop) {
    form->Show();
    PostMessage(form->Handle(), WM_CLOSE);
    ASSERT_TRUE(form->Visible());
    QTest::qWait(100);
    EXPECT_FALSE(form->Visible());
}

TEST_F(QtFixture, HintsShowAsToolTipsWhenTheSettingsAllow) {
    form->edtCode->SetHint("Code of the item|Long help");
    form->edtCode->SetShowHint(true);
    form->Show();
    QWidget* w = QtWidgetOf(form->edtCode);
    QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), w->mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(w, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), "Code of the item");
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
    Application->SetShowHint(false);
    QCoreApplication::sendEvent(w, &help);
    EXPECT_FALSE(QToolTip::isVisible());  // a tip would show at once
    Application->SetShowHint(true);
}

TEST(QtFonts, ModelFacesMapToInstalledFonts) {
    ASSERT_TRUE(StartQt());
    struct {
        const char* model;
        const char* family;
    } cases[] = {{"宋体", "WenQuanYi Zen Hei"}, {"SimSun", "WenQuanYi Zen Hei"}, {"Tahoma", "DejaVu Sans"}};
    for (auto& c : cases) {
        EXPECT_EQ(QtFontFamily(c.model), c.family) << c.model;
        TFont f;
        f.SetName(c.model);
        f.SetHeight(-12);
        QFontInfo info(QtFont(f));
        EXPECT_EQ(info.family().toStdString(), c.family) << c.model << " resolves to an installed font";
        EXPECT_EQ(info.pixelSize(), 12);
    }
    // Real metrics: a CJK character is wider than a Latin one.
    TFont f;
    f.SetName("宋体");
    f.SetHeight(-12);
    EXPECT_GT(WidgetSet().TextWidth(f, "费"), WidgetSet().TextWidth(f, "i"));
}

// A class without a native counterpart gets the generic peer and is painted through the model's
// canvas by the painter registered for its class; a label is drawn by its parent's peer.
TEST_F(QtFixture, CustomControlsAndLabelsPaintThroughTheModelsCanvas) {
    RegisterQtPainter(TSwatch::StaticClass(), [](TControl& c, TCanvas& canvas) {
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect({0, 0, c.Width() / 2, c.Height()});
    });
    auto* sw = CreateObject<TSwatch>(form);
    sw->SetBounds(20, 100, 40, 20);
    sw->SetParent(form);
    sw->SetColor(clBlue);
    form->lblName->Font()->SetColor(clRed);
    form->Show();
    QWidget* w = QtWidgetOf(sw);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), QtWidgetOf(form));
    QImage img = QtWidgetOf(form)->grab().toImage();
    EXPECT_EQ(img.pixelColor(25, 110), QColor(255, 0, 0));  // the painter's half
    EXPECT_EQ(img.pixelColor(55, 110), QColor(0, 0, 255));  // the control's colour
    // The label's caption is drawn in its font colour inside its bounds.
    int red = 0;
    for (int y = form->lblName->Top(); y < form->lblName->Top() + form->lblName->Height(); ++y)
        for (int x = form->lblName->Left(); x < form->lblName->Left() + form->lblName->Width(); ++x) {
            QColor c = img.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 100 && c.blue() < 100) ++red;
        }
    EXPECT_GT(red, 20);
}

// Controls that draw themselves in the model (panels, bit buttons) are painted by their own Paint,
// and a bit button still clicks through the model.
TEST_F(QtFixture, SelfDrawingControlsPaintAndClickThroughTheModel) {
    auto* panel = CreateObject<TPanel>(form);
    panel->SetParent(form);
    panel->SetBounds(330, 10, 120, 30);
    panel->SetCaption("Panel");
    auto* bit = CreateObject<TBitBtn>(form);
    bit->SetParent(form);
    bit->SetBounds(330, 60, 90, 26);
    bit->SetCaption("Go");
    bit->SetModalResult(mrYes);
    form->Show();
    QImage p = QtWidgetOf(panel)->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) colours.insert(p.pixel(x, y));
    EXPECT_GT(colours.size(), 3u) << "bevel and caption drawn, not just the background";
    QTest::mouseClick(QtWidgetOf(bit), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(form->ModalResult(), mrYes);
}

TEST(QtShellProperties, TheVerbShowsAWindowAboutTheFileAndOKFreesIt) {
    ASSERT_TRUE(StartQt());
    std::string file = std::string(XQ_SOURCE_DIR) + "/tests/qt/fixtures/Sample.dfm";
    int before = Screen->FormCount();
    ASSERT_TRUE(ShellProperties(file));
    ASSERT_EQ(Screen->FormCount(), before + 1);
    auto* f = dynamic_cast<TFilePropertiesForm*>(Screen->Forms(Screen->FormCount() - 1));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Caption(), "Sample.dfm Properties");
    EXPECT_TRUE(QtWidgetOf(f)->isVisible());
    auto* size = dynamic_cast<TLabel*>(f->FindComponent("lblSize"));
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->Caption(), FormatFloat("#,##0", static_cast<double>(GetFileProperties(file).Size)) + " bytes");
    auto* ok = dynamic_cast<TButton*>(f->FindComponent("OK"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(QtWidgetOf(ok), Qt::LeftButton);
    QTest::qWait(50);  // the release is posted
    EXPECT_EQ(Screen->FormCount(), before);
    EXPECT_EQ(ShellExecute("properties", "/nonexistent/file"), SE_ERR_FNF);
}

TEST(QtPaintEngine, CanvasDrawsIntoTheImageAndReadsItBack) {
    ASSERT_TRUE(StartQt());
    QImage img(20, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas canvas(std::make_unique<TQtPaintEngine>(&img));
    canvas.Brush()->SetColor(clLime);
    canvas.FillRect({2, 2, 6, 6});
    canvas.SetPixels(10, 5, clBlue);
    EXPECT_EQ(canvas.Pixels(3, 3), clLime);
    EXPECT_EQ(canvas.Pixels(10, 5), clBlue);
    EXPECT_EQ(canvas.Pixels(7, 7), clWhite);
    EXPECT_EQ(canvas.Pixels(25, 5), CLR_INVALID);
    // A raster operation reads what is there: inverting twice restores it.
    canvas.DrawFocusRect({0, 0, 20, 10});
    EXPECT_NE(canvas.Pixels(0, 0), clWhite);
    canvas.DrawFocusRect({0, 0, 20, 10});
    EXPECT_EQ(canvas.Pixels(0, 0), clWhite);
}

TEST_F(QtFixture, UpdateByHandlePaintsAtOnceAndForegroundRaises) {
    form->Show();
    int painted = 0;
    RegisterQtPainter(TfrmSample::StaticClass(), [&painted](TControl&, TCanvas&) { ++painted; });
    EXPECT_TRUE(UpdateWindow(form->Handle()));
    EXPECT_GT(painted, 0);  // painted inside the call, not later
    RegisterQtPainter(TfrmSample::StaticClass(), [](TControl&, TCanvas&) {});
    form->SetWindowState(wsMinimized);
    EXPECT_TRUE(QtWidgetOf(form)->isMinimized());
    form->SetWindowState(wsNormal);
    form->BringToForeground();
    EXPECT_FALSE(QtWidgetOf(form)->isMinimized());
    EXPECT_TRUE(QtWidgetOf(form)->isVisible());
}

}  // namespace
