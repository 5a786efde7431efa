// The main window's construction: the layout, the strips built in code, the
// control map and the wiring of every control to its handler.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <pugixml.hpp>
#include <sstream>

#include "AtomicFile.h"
#include "ChannelCurves.h"
#include "EditMenu.h"
#include "Layouts.h"
#include "Look.h"
#include "MainWindow.h"
#include "MeasurementDialog.h"
#include "ParamDatabase.h"
#include "SEdit2.h"
#include "SMoveThumb.h"
#include "SWindow.h"
#include "ScreenFit.h"
#include "SkButtons.h"
#include "SkEQ.h"
#include "SkSlider.h"
#include "Translation.h"
#include "TuningSettings.h"
#include "ValueScales.h"
#include "WindowParts.h"

namespace caraudio::app {

using namespace widgets;

namespace {

constexpr int kColumnWidth = 126;
constexpr int kBandX0 = 54;
constexpr int kBandWidth = 33;

// The frequency ranges of the band header, each with the bands it spans.
struct Range {
    int first, last;
    const char* text;
    const char* colour;
};
constexpr Range kRanges[] = {{0, 5, "Sub bass", "#5a3f8c"},    {6, 11, "Bass", "#3f5a8c"},
                             {12, 14, "Low mid", "#3f7a8c"},   {15, 20, "Mid", "#3f8c5f"},
                             {21, 23, "Upper mid", "#7a8c3f"}, {24, 25, "Presence", "#8c6a3f"},
                             {26, 30, "Brilliance", "#8c3f4f"}};

}  // namespace

CMainDlg::CMainDlg(const AppServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), s_(services) {
    setObjectName("CMainDlg");
    ApplyLook(this);
    layout_ = LoadLayout("XML_MAINWND", this);
    if (layout_) {
        PaintBackground(layout_, QColor(0x27, 0x34, 0x44));
        // The caption stays in sight on a small screen: its buttons close the window.
        FitToScreen(this, layout_, Named<QWidget>(layout_, "caption"));
    }
    throttleTimer_.setSingleShot(true);
    connect(&throttleTimer_, &QTimer::timeout, this, [this] { OnTimer(kThrottleTimerId); });
    alertTimer_.setSingleShot(true);
    connect(&alertTimer_, &QTimer::timeout, this, [this] { OnTimer(kAlertTimerId); });
}

CMainDlg::~CMainDlg() {
    // Hidden while still whole: a field that loses the focus on the way
    // finishes its edit here, not on a window half destroyed.
    hide();
    // The measurement dialog may finish an edit as it goes, which redraws
    // this window's editor: it goes while this window is still whole.
    delete measurementDlg_;
    // The throttle must not fire into a window that is gone.
    s_.db.Throttle().Configure(SendThrottle::kDefaultInterval, nullptr, kThrottleTimerId);
}

void CMainDlg::SetTimer(int timerId, int milliseconds) {
    if (timerId == kThrottleTimerId) throttleTimer_.start(milliseconds);
}

void CMainDlg::KillTimer(int timerId) {
    if (timerId == kThrottleTimerId) throttleTimer_.stop();
}

void CMainDlg::BuildChannelStrip() {
    QWidget* strip = Named<QWidget>(layout_, "CHANNEL_TAB");
    if (!strip) return;
    auto title = [&](int x, const char* text) {
        auto* l = new QLabel(strip);
        l->setGeometry(x, 2, kColumnWidth - 8, 22);
        l->setAlignment(Qt::AlignCenter);
        l->setProperty("source", text);
        stripLabels_.push_back(l);
        return l;
    };
    const int cx = kColumnWidth / 2;
    // Master column
    title(4, "Master");
    masterField_ = Make<SEdit2>("edit2", strip, cx - 30, 26, 60, 22, {{"id", "4000"}, {"text", "0dB"}});
    masterSlider_ = Make<SkSlider>("skslider", strip, cx - 12, 50, 24, 92,
                                   {{"id", "2000"},
                                    {"min", "0"},
                                    {"max", "66"},
                                    {"vertical", "1"},
                                    {"value", "60"},
                                    {"bkgndSkin", "slider_rail"},
                                    {"posSkin", "slider_pos"},
                                    {"thumbSkin", "slider_thumb"},
                                    {"showPercent", "1"}});
    masterMute_ = Make<SkCheckButton>("skcheckbtn", strip, cx - 28, 146, 56, 22,
                                      {{"id", "1106"}, {"skin", "toggle_button"}, {"autoCheck", "1"}});
    masterMute_->setProperty("source", "Mute");
    auto* linkTitle = new QLabel(strip);
    linkTitle->setGeometry(4, 172, kColumnWidth - 8, 20);
    linkTitle->setAlignment(Qt::AlignCenter);
    linkTitle->setProperty("source", "Link");
    stripLabels_.push_back(linkTitle);
    for (int col = 0; col < 6; ++col) {
        const int i = kColumnBlocks[col];
        const int x0 = kColumnWidth * (col + 1);
        ChannelControls& c = ch_[static_cast<size_t>(i)];
        c.select = Make<SkCheckButton>("skcheckbtn", strip, x0 + cx - 34, 2, 68, 22,
                                       {{"id", Num(1400 + i)},
                                        {"skin", "toggle_button"},
                                        {"autoCheck", "0"},
                                        {"text", QString::fromStdString(ChannelLabel(i))}});
        c.field =
            Make<SEdit2>("edit2", strip, x0 + cx - 30, 26, 60, 22, {{"id", Num(6000 + i)}, {"text", "0dB"}});
        c.slider = Make<SkSlider>("skslider", strip, x0 + cx - 12, 50, 24, 92,
                                  {{"id", Num(2200 + i)},
                                   {"min", "0"},
                                   {"max", "66"},
                                   {"vertical", "1"},
                                   {"value", "60"},
                                   {"bkgndSkin", "slider_rail"},
                                   {"posSkin", "slider_pos"},
                                   {"thumbSkin", "slider_thumb"},
                                   {"showPercent", "1"}});
        c.phase = Make<SkCheckButton>("skcheckbtn", strip, x0 + 4, 146, 56, 22,
                                      {{"id", Num(1200 + i)}, {"skin", "toggle_button"}, {"autoCheck", "1"}});
        c.phase->setProperty("source", "Phase");
        c.mute = Make<SkCheckButton>("skcheckbtn", strip, x0 + 64, 146, 56, 22,
                                     {{"id", Num(1300 + i)}, {"skin", "toggle_button"}, {"autoCheck", "1"}});
        c.mute->setProperty("source", "Mute");
        c.link = Make<SkCheckButton>("skcheckbtn", strip, x0 + cx - 9, 173, 18, 18,
                                     {{"id", Num(1100 + i)}, {"skin", "check_box"}, {"autoCheck", "1"}});
    }
}

void CMainDlg::BuildBandTable() {
    QWidget* table = Named<QWidget>(layout_, "EQ_GROUP");
    if (!table) return;
    // Five digits must fit the narrow band columns.
    table->setStyleSheet(
        "QLineEdit { padding: 0px; font-size: 10px; } QLineEdit#band_freq { font-size: 9px; }");
    bandIds_ = Named<QWidget>(layout_, "show_eq_band_id");
    bandFreqs_ = Named<QWidget>(layout_, "show_eq_band_freq");
    for (int b = 0; b < 31; ++b) {
        const int x = kBandX0 + kBandWidth * b;
        if (bandIds_)
            Make<SWindow>("text", bandIds_, kBandWidth * b, 0, kBandWidth, 18,
                          {{"id", Num(5300 + b)}, {"text", Num(b + 1)}, {"align", "center"}});
        BandControls& c = band_[static_cast<size_t>(b)];
        c.freq = Make<SEdit2>("edit2", table, x + 1, 22, kBandWidth - 2, 20, {{"id", Num(5000 + b)}});
        c.q = Make<SEdit2>("edit2", table, x + 1, 44, kBandWidth - 2, 20, {{"id", Num(5100 + b)}});
        c.gain = Make<SEdit2>("edit2", table, x + 1, 66, kBandWidth - 2, 20, {{"id", Num(5200 + b)}});
        c.slider = Make<SkSlider>("skslider", table, x + kBandWidth / 2 - 8, 90, 16, 94,
                                  {{"id", Num(2100 + b)},
                                   {"vertical", "1"},
                                   {"bkgndSkin", "slider_rail"},
                                   {"posSkin", "slider_pos"},
                                   {"thumbSkin", "slider_thumb"},
                                   {"showPercent", "1"}});
        c.off = Make<SkCheckButton>("skcheckbtn", table, x + kBandWidth / 2 - 9, 188, 18, 18,
                                    {{"id", Num(1000 + b)}, {"skin", "check_box"}, {"autoCheck", "1"}});
        for (SEdit2* f : {c.freq, c.q, c.gain}) f->setAlignment(Qt::AlignCenter);
        c.freq->setObjectName("band_freq");
    }
    if (bandFreqs_)
        for (const Range& r : kRanges) {
            auto* span = Make<SWindow>("text", bandFreqs_, kBandWidth * r.first + 1, 0,
                                       kBandWidth * (r.last - r.first + 1) - 2, 18,
                                       {{"colorBkgnd", QString(r.colour) + "ff"}, {"align", "center"}});
            span->setProperty("source", r.text);
        }
}

void CMainDlg::BuildThumbs() {
    if (!eq_) return;
    static const char* const kColours[] = {"#ff7070ff", "#ffb060ff", "#f0e060ff",
                                           "#80ff80ff", "#60c8ffff", "#c890ffff"};
    for (int n = 0; n < 31; ++n)
        Make<SMoveThumb>(
            "moveThumb", eq_, 0, 0, 25, 25,
            {{"data", Num(n)}, {"id", Num(900 + n)}, {"text", Num(n + 1)}, {"colorText", kColours[n % 6]}});
    Make<SMoveThumb>("moveThumb", eq_, 0, 0, 25, 25,
                     {{"data", "-1"},
                      {"id", "931"},
                      {"text", "H"},
                      {"canYMove", "0"},
                      {"tip", "HPF"},
                      {"colorText", "#ffffffff"}});
    Make<SMoveThumb>("moveThumb", eq_, 0, 0, 25, 25,
                     {{"data", "-2"},
                      {"id", "932"},
                      {"text", "L"},
                      {"canYMove", "0"},
                      {"tip", "LPF"},
                      {"colorText", "#ffffffff"}});
    Make<SMoveThumb>("moveThumb", eq_, 0, 0, 20, 17,
                     {{"data", "-5"}, {"id", "933"}, {"skin", "q_left"}, {"canYMove", "0"}});
    Make<SMoveThumb>("moveThumb", eq_, 0, 0, 20, 17,
                     {{"data", "-6"}, {"id", "934"}, {"skin", "q_right"}, {"canYMove", "0"}});
}

// freqstyle.xml beside the program replaces the frequency-range labels. It
// is read as any file from outside is: a FIFO or a device in its place is
// passed over, as a missing file is.
void CMainDlg::ApplyFreqStyle() {
    if (!bandFreqs_) return;
    constexpr size_t kMostBytes = 1u << 20;  // a few labels; nothing near this
    for (const QString& folder : s_.programFolders) {
        std::string xml;
        if (!storage::ReadFile(QFile::encodeName(QDir(folder).filePath("freqstyle.xml")).toStdString(), xml,
                               kMostBytes)
                 .Ok())
            continue;
        pugi::xml_document doc;
        if (!doc.load_buffer(xml.data(), xml.size())) return;  // not XML: keep ours
        // The root element alone, without the declaration, is the fragment.
        std::ostringstream root;
        doc.document_element().print(root, "", pugi::format_raw);
        QWidget* fresh = LoadFragment(QByteArray::fromStdString(root.str()), nullptr);
        if (!fresh) return;
        for (QWidget* child : bandFreqs_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            delete child;
        fresh->setParent(bandFreqs_);
        fresh->move(0, 0);
        fresh->show();
        return;
    }
}

// The lists offer what the model knows how to show.
void CMainDlg::FillLists() {
    auto fill = [](QComboBox* list, int count, auto label) {
        if (!list) return;
        list->clear();
        for (int i = 0; i < count; ++i) list->addItem(QString::fromStdString(std::string(label(i))));
    };
    for (QComboBox* l : {hpType_, lpType_}) fill(l, kCrossoverTypeCount, CrossoverTypeLabel);
    for (QComboBox* l : {hpSlope_, lpSlope_}) fill(l, kSlopeCount, SlopeLabel);
    fill(release_, kReleaseCount, ReleaseLabel);
    fill(noiseGate_, kNoiseGateCount, NoiseGateLabel);
    fill(unitList_, kDelayUnitCount, DelayUnitLabel);
}

void CMainDlg::InitMainWindow() {
    refreshing_ = true;
    s_.db.Throttle().Configure(SendThrottle::kDefaultInterval, this, kThrottleTimerId);
    if (!layout_) return;
    eq_ = Named<SkEQ>(layout_, "eq_curve");
    channelLabel_ = Control<SWindow>(layout_, 801);
    BuildChannelStrip();
    BuildBandTable();
    BuildThumbs();
    for (int i = 0; i < 6; ++i) {
        ch_[static_cast<size_t>(i)].speaker = Control<SkCheckButton>(layout_, 1600 + i);
        ch_[static_cast<size_t>(i)].delay = Control<SEdit2>(layout_, 4100 + i);
    }
    hpType_ = Control<QComboBox>(layout_, 8002);
    hpSlope_ = Control<QComboBox>(layout_, 8003);
    lpType_ = Control<QComboBox>(layout_, 8000);
    lpSlope_ = Control<QComboBox>(layout_, 8001);
    release_ = Control<QComboBox>(layout_, 8004);
    noiseGate_ = Control<QComboBox>(layout_, 8005);
    unitList_ = Control<QComboBox>(layout_, 8020);
    FillLists();
    if (unitList_) unitList_->hide();
    hpFreq_ = Control<SEdit2>(layout_, 4002);
    lpFreq_ = Control<SEdit2>(layout_, 4001);
    threshold_ = Control<SEdit2>(layout_, 4003);
    attack_ = Control<SEdit2>(layout_, 4004);
    for (int u = 0; u < 3; ++u) unit_[static_cast<size_t>(u)] = Control<SkRadioButton>(layout_, 7000 + u);
    if (unit_[0]) unit_[0]->setChecked(true);
    mode2_ = Control<SkRadioButton>(layout_, 10000);
    mode4_ = Control<SkRadioButton>(layout_, 10001);
    if (mode4_) mode4_->setChecked(true);
    indicator_ = Control<SkCheckButton>(layout_, 1500);
    bypass_ = Control<SkCheckButton>(layout_, 1502);
    eqMode_ = Control<SkCheckButton>(layout_, 1501);
    idToggle_ = Control<SkCheckButton>(layout_, 1107);

    // The tuning file's gain limits give the curve's scale and the sliders' range.
    const GainLimits limits = s_.tuning.Gains();
    if (eq_) {
        const EqCurveScale scale = CurveScaleFor(limits);
        eq_->SetAttribute("dbMax", Num(scale.dbMax));
        eq_->SetAttribute("dbMin", Num(scale.dbMin));
        eq_->SetAttribute("dbKeduVal", Num(scale.dbKeduVal));
    }
    const SliderRange range = GainSliderRange(limits);
    for (BandControls& b : band_) {
        if (!b.slider) continue;
        b.slider->SetRange(range.min, range.max);
        b.slider->SetValue(0);
        b.freq->setEnabled(false);
        b.q->setEnabled(false);
    }
    ApplyFreqStyle();
    const bool ids = s_.tuning.showFreqId != 0;
    if (bandIds_) bandIds_->setVisible(ids);
    if (bandFreqs_) bandFreqs_->setVisible(!ids);
    if (idToggle_) idToggle_->setChecked(ids);
    // The caption is the window's own, beside the layout (see FitToScreen).
    MakeDragHandle(Named<QWidget>(this, "caption"));
    UseEditMenu(layout_);
    Connect();
    WireSteps();
    Retranslate();
    LoadMeasurements();
    RefreshAll();
    refreshing_ = false;
}

void CMainDlg::Connect() {
    for (SEdit2* f : layout_->findChildren<SEdit2*>()) {
        const int id = IdOf(f);
        if (id < 4000 || id > 6999) continue;
        connect(f, &QLineEdit::editingFinished, this, [this, f, id] { OnField(f, id, 0); });
        connect(f, &SEdit2::valueChanging, this, [this, f, id](int step) { OnField(f, id, step); });
        f->installEventFilter(this);
    }
    for (SkSlider* sl : layout_->findChildren<SkSlider*>()) {
        const int id = IdOf(sl);
        connect(sl, &SkSlider::sliderPos, this, [this, id](int v) { OnSlider(id, v); });
    }
    for (QComboBox* c : layout_->findChildren<QComboBox*>()) {
        const int id = IdOf(c);
        connect(c, &QComboBox::currentIndexChanged, this, [this, id](int index) { OnList(id, index); });
    }
    for (SkCheckButton* b : layout_->findChildren<SkCheckButton*>()) {
        const int id = IdOf(b);
        connect(b, &QAbstractButton::clicked, this, [this, b, id] { OnCheck(b, id); });
    }
    for (int u = 0; u < 3; ++u)
        if (SkRadioButton* r = unit_[static_cast<size_t>(u)])
            connect(r, &QAbstractButton::toggled, this, [this, u](bool on) {
                if (on) OnDelayUnit(u);
            });
    for (auto [radio, mode] : {std::pair{mode2_, 0}, {mode4_, 1}})
        if (radio)
            connect(radio, &QAbstractButton::toggled, this, [this, mode = mode](bool on) {
                if (on) OnInputMode(mode);
            });
    for (QPushButton* b : findChildren<QPushButton*>()) {  // the caption's too
        const int id = IdOf(b);
        const QString name = b->objectName();
        connect(b, &QPushButton::clicked, this, [this, id, name] {
            if (name == "btn_min")
                showMinimized();
            else if (name == "btn_close")
                CloseRoutine();
            else if (name == "btn_menu")
                OnButton(kMixButton);
            else
                OnButton(id);
        });
    }
    for (SMoveThumb* t : eq_ ? eq_->findChildren<SMoveThumb*>() : QList<SMoveThumb*>()) {
        const int id = IdOf(t);
        connect(t, &SMoveThumb::thumbMoving, this, [this, t, id](const ThumbMove& m) { OnThumb(t, id, m); });
    }
}

// Left and Right at the ends of a field's text move to the previous or next
// control; inside the text they move the cursor as usual.
bool CMainDlg::eventFilter(QObject* watched, QEvent* e) {
    auto* field = qobject_cast<SEdit2*>(watched);
    if (field && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Left && field->cursorPosition() == 0 && !field->hasSelectedText()) {
            focusNextPrevChild(false);
            return true;
        }
        if (key == Qt::Key_Right && field->cursorPosition() == field->text().size() &&
            !field->hasSelectedText()) {
            focusNextPrevChild(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void CMainDlg::Retranslate() {
    for (QLabel* l : stripLabels_)
        l->setText(Tr("mainWindow", l->property("source").toByteArray().constData()));
    for (QWidget* w : layout_->findChildren<QWidget*>()) {
        const QByteArray source = w->property("source").toByteArray();
        if (source.isEmpty()) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(Tr("mainWindow", source.constData()));
        if (auto* t = qobject_cast<SWindow*>(w)) t->SetText(Tr("mainWindow", source.constData()));
    }
}

void CMainDlg::changeEvent(QEvent* e) {
    // The layout's own texts are translated again by their widgets' events,
    // in no fixed order: the texts set from the model follow after them.
    if (e->type() == QEvent::LanguageChange && layout_)
        QTimer::singleShot(0, this, [this] {
            Retranslate();
            ShowIndicator();
            ShowUndoState();
            ShowOverlays();  // the legend's names
        });
    QWidget::changeEvent(e);
}

}  // namespace caraudio::app
