// The widget gallery: every widget of the program on one page, the EQ editor
// and the car map wired to live models. With --save DIR it writes a PNG of
// each widget and exits, which is how the widgets are looked at offscreen.
#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "ChannelCurves.h"
#include "EffectBlock.h"
#include "SEdit2.h"
#include "SGifPlayer.h"
#include "SMoveThumb.h"
#include "SWindow.h"
#include "SkButtons.h"
#include "SkCar.h"
#include "SkEQ.h"
#include "SkRotaryKnob.h"
#include "SkSlider.h"
#include "WidgetRegistry.h"

using namespace caraudio;
using namespace caraudio::widgets;

namespace {

void Set(QWidget* w, std::initializer_list<std::pair<const char*, const char*>> attributes) {
    for (const auto& [name, value] : attributes)
        if (!SetWidgetAttribute(w, name, value))
            std::fprintf(stderr, "gallery: attribute %s=%s refused\n", name, value);
}

QWidget* Make(const char* tag, QWidget* parent,
              std::initializer_list<std::pair<const char*, const char*>> attributes) {
    QWidget* w = CreateWidget(tag, parent);
    Set(w, attributes);
    return w;
}

// An image with some tuning in it, so the curve has something to show.
EffectBlock DemoImage() {
    EffectBlock b = DefaultEffectBlock();
    auto set = [&](int index, int value) { b.Set(*FindParam(index), static_cast<uint16_t>(value)); };
    const int ch = 2;
    set(param::BandGain(ch, 3), 450);
    set(param::BandGain(ch, 8), -300);
    set(param::BandQ(ch, 8), 300);
    set(param::BandGain(ch, 16), 600);
    set(param::BandQ(ch, 16), 1400);
    set(param::BandGain(ch, 24), -500);
    set(param::BandGain(ch, 28), 250);
    set(param::HighPassFreq(ch), 45);
    set(param::HighPassType(ch), 0x83);  // Linkwitz 24 dB/oct
    set(param::LowPassFreq(ch), 16000);
    set(param::LowPassType(ch), 0x01);
    return b;
}

struct Editor {
    SkEQ* eq;
    EqCurveModel* model;
};

// A made-up car at the listening position, measured from 20 Hz to 20 kHz:
// the woofer rolling off below 60 Hz, a cabin mode at 120 Hz, a dip at
// 2 kHz, gently falling highs, and a little ripple.
Response DemoMeasurement(const FrequencyGrid& grid) {
    Response db;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double f = grid.Hz(i), octave = std::log2(f);
        auto bell = [&](double centre, double gain, double widthOctaves) {
            const double d = (octave - std::log2(centre)) / widthOctaves;
            return gain * std::exp(-d * d / 2);
        };
        const double rollOff = -10 * std::log10(1 + std::pow(60 / f, 4));
        const double highs = f > 3000 ? -2.5 * std::log2(f / 3000) : 0;
        const double ripple = 0.8 * std::sin(7 * octave) + 0.5 * std::sin(17 * octave);
        db[static_cast<size_t>(i)] =
            f < 20 || f > 20000 ? std::nan("")
                                : rollOff + bell(120, 5, 0.35) + bell(2000, -7, 0.3) + highs + ripple;
    }
    return db;
}

// A house curve: 6 dB of bass lift with its corner at 90 Hz, the treble
// falling 3 dB a decade above 1 kHz.
Response DemoTarget(const FrequencyGrid& grid) {
    Response db;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double f = grid.Hz(i);
        db[static_cast<size_t>(i)] =
            6 / (1 + (f / 90) * (f / 90)) + (f > 1000 ? -3 * std::log10(f / 1000) : 0);
    }
    return db;
}

// The measurement moved so that its mean over 200..2000 Hz lies on the
// target, the curve the channel's EQ makes of it, and the target.
std::vector<EqOverlayCurve> DemoOverlays(const EqCurveModel& model) {
    const FrequencyGrid& grid = model.Grid();
    Response measured = DemoMeasurement(grid);
    const Response target = DemoTarget(grid);
    double offset = 0;
    int n = 0;
    for (int i = 0; i < FrequencyGrid::kPoints; ++i)
        if (grid.Hz(i) >= 200 && grid.Hz(i) <= 2000) {
            offset += target[static_cast<size_t>(i)] - measured[static_cast<size_t>(i)];
            ++n;
        }
    offset /= std::max(n, 1);
    Response predicted;
    for (size_t i = 0; i < measured.size(); ++i) {
        measured[i] += offset;
        predicted[i] = measured[i] + model.Curve1()[i];
    }
    return {{EqOverlayRole::Measured, "Measured", measured, true},
            {EqOverlayRole::Predicted, "Predicted", predicted, true},
            {EqOverlayRole::Target, "Target", target, true}};
}

Editor BuildEditor(QWidget* parent, ChannelCurves& curves) {
    auto* eq = static_cast<SkEQ*>(Make("skeq", parent,
                                       {{"ldist", "36"},
                                        {"tdist", "13"},
                                        {"rdist", "5"},
                                        {"bdist", "15"},
                                        {"dbMax", "24"},
                                        {"dbMin", "-24"},
                                        {"nKedu", "8"},
                                        {"dbKeduVal", "12"},
                                        {"zeroXFreq", "17"},
                                        {"colorBkgnd", "#000000ff"}}));
    eq->resize(900, 400);
    Make("skeqgrid", eq,
         {{"colorBorder", "#ffffffdd"}, {"colorText", "#ccccccff"}, {"font", "size:11,bold:0,face:Arial"}});
    Make("skeqcurve", eq, {{"colorLine", "#c027c0ff"}, {"colorCurrLine", "#80808050"}, {"lineWidth", "2"}});
    static const char* const kColours[] = {"#ff6060ff", "#ffb060ff", "#f0f060ff",
                                           "#80ff80ff", "#60c0ffff", "#c080ffff"};
    for (int n = 0; n < 31; ++n) {
        QWidget* t = Make("moveThumb", eq, {{"size", "25,25"}, {"colorText", kColours[n % 6]}});
        SetWidgetAttribute(t, "data", QString::number(n));
        SetWidgetAttribute(t, "id", QString::number(900 + n));
        SetWidgetAttribute(t, "text", QString::number(n + 1));
    }
    Make("moveThumb", eq,
         {{"size", "25,25"},
          {"data", "-1"},
          {"id", "931"},
          {"text", "H"},
          {"canYMove", "0"},
          {"tip", "HPF"},
          {"colorText", "#ffffffff"}});
    Make("moveThumb", eq,
         {{"size", "25,25"},
          {"data", "-2"},
          {"id", "932"},
          {"text", "L"},
          {"canYMove", "0"},
          {"tip", "LPF"},
          {"colorText", "#ffffffff"}});
    Make("moveThumb", eq,
         {{"size", "20,17"}, {"data", "-5"}, {"id", "933"}, {"skin", "q_left"}, {"canYMove", "0"}});
    Make("moveThumb", eq,
         {{"size", "20,17"}, {"data", "-6"}, {"id", "934"}, {"skin", "q_right"}, {"canYMove", "0"}});
    EqCurveModel& model = curves.Model(2);
    eq->SetEqData(&model);
    return {eq, &model};
}

// A drag of a band thumb becomes a new frequency and gain; a Q handle a new
// Q; a crossover thumb a new corner frequency.
void WireEditor(const Editor& e) {
    for (QObject* child : e.eq->children()) {
        auto* thumb = qobject_cast<SMoveThumb*>(child);
        if (!thumb) continue;
        QObject::connect(thumb, &SMoveThumb::thumbMoving, e.eq, [e, thumb](const ThumbMove& m) {
            const int cx = m.newLeft + thumb->width() / 2, cy = m.newTop + thumb->height() / 2;
            const int data = DataOf(thumb);
            if (data >= 0) {
                EqFilterInput band{EqFilterRole::Band,
                                   EqFilterType::Peaking,
                                   std::clamp(e.eq->XToFrequency(cx), 20.0, 20000.0),
                                   std::clamp(e.eq->YToGain(cy), -20.0, 20.0),
                                   e.model->Filter(data).q,
                                   e.model->Filter(data).q};
                e.model->SetBand(data, band);
            } else if (data == SkEQ::kQLeft || data == SkEQ::kQRight) {
                const int band = thumb->ThumbTag();
                if (band < 0) return;
                const int centre = e.eq->FrequencyToX(e.model->Filter(band).frequency);
                const int d = std::clamp(std::abs(cx - centre), 20, 120);
                const double q = std::pow(128.0 / 0.4, (120.0 - d) / 100.0) * 0.4 / 3;
                EqFilterInput in{EqFilterRole::Band,
                                 EqFilterType::Peaking,
                                 e.model->Filter(band).frequency,
                                 e.model->Filter(band).gain,
                                 q,
                                 q};
                e.model->SetBand(band, in);
            } else if (data == SkEQ::kHighPass || data == SkEQ::kLowPass) {
                const double f = std::clamp(e.eq->XToFrequency(cx), 20.0, 19999.0);
                const EqFilterRecord& r =
                    e.model->Filter(data == SkEQ::kHighPass ? e.model->HighPass() : e.model->LowPass());
                if (data == SkEQ::kHighPass)
                    e.model->SetHighPass(f, r.gain, 1.0, r.type);
                else
                    e.model->SetLowPass(f, r.gain, 1.0, r.type);
            }
            e.eq->RefreshCurve();
            // The predicted curve follows the drag.
            if (!e.eq->OverlayCurves().empty()) e.eq->SetOverlayCurves(DemoOverlays(*e.model));
        });
    }
}

SkCar* BuildCar(QWidget* parent) {
    auto* car = static_cast<SkCar*>(Make("skcar", parent,
                                         {{"ldist", "45"},
                                          {"tdist", "20"},
                                          {"rdist", "20"},
                                          {"bdist", "40"},
                                          {"xStart", "-2000"},
                                          {"yStart", "-2000"},
                                          {"carWidth", "1825"},
                                          {"zhouJu", "2680"},
                                          {"mmPerScale", "1000"},
                                          {"mmPerPx", "10"},
                                          {"font", "size:12"},
                                          {"colorText", "#ffffffff"}}));
    car->resize(560, 620);
    car->setAutoFillBackground(true);
    QPalette p = car->palette();
    p.setColor(QPalette::Window, QColor(24, 26, 30));
    car->setPalette(p);
    Make("window", car, {{"name", "car_pic"}, {"skin", "car"}});
    Make("skcargrid", car,
         {{"colorText", "#aaaaaaff"},
          {"colorCoords", "#aaaaaaff"},
          {"colorGuidLine", "#555555ff"},
          {"widthGuidLine", "1"},
          {"widthCoords", "1"},
          {"font", "size:12"}});
    Make("skcarcurve", car,
         {{"lineWidth", "2"},
          {"colorVirt", "#ffaaaaff"},
          {"colorSoundSpace", "#ffaaaaff"},
          {"colorSpeakser", "#ff8888ff"},
          {"colorCar", "#00888811"}});
    Make("text", car, {{"name", "car_pos_tip"}, {"colorText", "#44ff44ff"}, {"font", "size:12,bold:1"}});
    for (int i = 1; i <= 6; ++i) {
        QWidget* tip = Make("text", car, {{"colorText", "#ffffffff"}, {"font", "size:12"}});
        tip->setObjectName(QString("ch%1_tip").arg(i));
    }
    Make("skcarthumb", car, {{"size", "50,50"}, {"data", "0"}, {"skin", "listener"}});
    for (int i = 1; i <= 6; ++i) {
        QWidget* t =
            Make("skcarthumb", car, {{"size", "50,50"}, {"skin", "speaker"}, {"colorText", "#ffffffff"}});
        SetWidgetAttribute(t, "data", QString::number(i));
        SetWidgetAttribute(t, "text", QString("CH%1").arg(i));
    }
    const int W = 1825, L = 2680;
    car->SetPositions({IntPoint{0, L}, {W, L}, {0, 0}, {W, 0}, {W / 3, 0}, {2 * W / 3, 0}}, 530, 1580);
    return car;
}

bool SavePng(QWidget* w, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name + ".png");
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString saveDir;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i)
        if (args[i] == "--save" && i + 1 < args.size()) saveDir = args[++i];

    ChannelCurves curves;
    const EffectBlock image = DemoImage();
    for (int ch = 0; ch < 6; ++ch) curves.RebuildChannel(ch, image);

    QWidget page;
    page.setWindowTitle("Widget gallery");
    page.setStyleSheet("QLabel { color: #dddddd; }");
    page.setAutoFillBackground(true);
    QPalette dark = page.palette();
    dark.setColor(QPalette::Window, QColor(27, 29, 33));
    page.setPalette(dark);
    auto* grid = new QGridLayout(&page);
    Editor editor = BuildEditor(&page, curves);
    editor.eq->setMinimumSize(900, 400);
    WireEditor(editor);
    grid->addWidget(editor.eq, 0, 0, 1, 4);

    SkCar* car = BuildCar(&page);
    car->setMinimumSize(560, 620);
    grid->addWidget(car, 0, 4, 3, 1);

    auto* knob = static_cast<SkRotaryKnob*>(Make("skrotaryknob", &page,
                                                 {{"min", "0"},
                                                  {"max", "60"},
                                                  {"includedAngle", "90"},
                                                  {"dotRadius", "55"},
                                                  {"fgRadius", "71"},
                                                  {"colorCircle", "#91b136ff"},
                                                  {"skin", "knob_dial"},
                                                  {"dotSkin", "knob_dot"},
                                                  {"slashSkin", "knob_slash"},
                                                  {"value", "38"}}));
    knob->setFixedSize(238, 216);
    grid->addWidget(knob, 1, 0);

    auto* sliders = new QWidget(&page);
    auto* row = new QHBoxLayout(sliders);
    for (int v : {66, 40, 12}) {
        auto* s = static_cast<SkSlider*>(Make("skslider", sliders,
                                              {{"min", "0"},
                                               {"max", "66"},
                                               {"vertical", "1"},
                                               {"bkgndSkin", "slider_rail"},
                                               {"posSkin", "slider_pos"},
                                               {"thumbSkin", "slider_thumb"},
                                               {"showPercent", "1"}}));
        s->SetValue(v);
        s->setFixedSize(24, 180);
        row->addWidget(s);
    }
    grid->addWidget(sliders, 1, 1);

    auto* buttons = new QWidget(&page);
    auto* col = new QVBoxLayout(buttons);
    auto* mode = Make("skcheckbtn", buttons,
                      {{"skin", "check_button"},
                       {"autoCheck", "1"},
                       {"multitext", "1"},
                       {"text1", "GEQ"},
                       {"text2", "PEQ"},
                       {"colorText", "#ffffffff"}});
    mode->setFixedSize(60, 26);
    auto* peq = Make("skcheckbtn", buttons,
                     {{"skin", "check_button"},
                      {"autoCheck", "1"},
                      {"multitext", "1"},
                      {"text1", "GEQ"},
                      {"text2", "PEQ"},
                      {"checked", "1"},
                      {"colorText", "#ffffffff"}});
    peq->setFixedSize(60, 26);
    for (const char* label : {"2 Channel", "4 Channel"}) {
        QWidget* r =
            Make("skradiobtn", buttons,
                 {{"skin", "radio_button"}, {"autoCheck", "1"}, {"text", label}, {"colorText", "#ffffffff"}});
        r->setFixedSize(80, 26);
        col->addWidget(r);
    }
    static_cast<SkRadioButton*>(buttons->findChildren<SkRadioButton*>().front())->setChecked(true);
    col->addWidget(mode);
    col->addWidget(peq);
    grid->addWidget(buttons, 1, 2);

    auto* edits = new QWidget(&page);
    auto* ecol = new QVBoxLayout(edits);
    auto* stepLog = new QLabel("steps: ", edits);
    for (const char* text : {"1000", "7.60", "-3.5"}) {
        auto* e = static_cast<SEdit2*>(Make("edit2", edits, {{"text", text}}));
        e->setFixedWidth(80);
        QObject::connect(e, &SEdit2::valueChanging, stepLog, [stepLog](int step) {
            stepLog->setText(stepLog->text() + QString::number(step) + " ");
        });
        ecol->addWidget(e);
    }
    ecol->addWidget(stepLog);
    auto* gif = static_cast<SGifPlayer*>(Make("gifplayer", edits, {{"skin", "GIF_LOADING"}}));
    gif->setFixedSize(gif->sizeHint());
    ecol->addWidget(gif);
    grid->addWidget(edits, 1, 3);

    if (saveDir.isEmpty()) {
        editor.eq->SetOverlayCurves(DemoOverlays(*editor.model));
        page.show();
        return app.exec();
    }

    QDir().mkpath(saveDir);
    page.resize(1510, 680);
    page.show();
    app.processEvents();
    bool ok = true;
    // The editor with band 17 highlighted and its Q handles shown.
    const EqFilterRecord& r16 = editor.model->Filter(16);
    editor.model->SetBand(16, {r16.role, r16.type, r16.frequency, r16.gain, r16.q, r16.shelfFactor});
    editor.eq->ShowQHandles(true);
    editor.eq->RefreshCurve();
    app.processEvents();
    ok &= SavePng(editor.eq, saveDir, "skeq-band");
    // The high-pass highlighted: the band between 0 dB and the grid bottom.
    const EqFilterRecord& hp = editor.model->Filter(editor.model->HighPass());
    editor.model->SetHighPass(hp.frequency, hp.gain, 1.0, hp.type);
    editor.eq->RefreshCurve();
    app.processEvents();
    ok &= SavePng(editor.eq, saveDir, "skeq-highpass");
    // A measurement, the curve the EQ makes of it, and a house curve.
    editor.eq->SetOverlayCurves(DemoOverlays(*editor.model));
    app.processEvents();
    ok &= SavePng(editor.eq, saveDir, "skeq-overlay");
    // A measurement of 100 Hz..8 kHz only, 22 dB too loud (over the top of
    // the plot around 120 Hz), and the target hidden.
    std::vector<EqOverlayCurve> partial = DemoOverlays(*editor.model);
    for (int i = 0; i < FrequencyGrid::kPoints; ++i) {
        const double f = editor.model->Grid().Hz(i);
        double& v = partial[0].values[static_cast<size_t>(i)];
        v = f < 100 || f > 8000 ? std::nan("") : v + 22;
    }
    partial.erase(partial.begin() + 1);
    partial[1].shown = false;
    editor.eq->SetOverlayCurves(partial);
    app.processEvents();
    ok &= SavePng(editor.eq, saveDir, "skeq-overlay-partial");
    editor.eq->ClearOverlayCurves();
    app.processEvents();
    // The same at the main window's size, where the legend has least room.
    Editor small = BuildEditor(nullptr, curves);
    small.eq->resize(885, 236);
    small.eq->SetOverlayCurves(DemoOverlays(*small.model));
    small.eq->show();
    app.processEvents();
    ok &= SavePng(small.eq, saveDir, "skeq-overlay-main-size");
    delete small.eq;
    // The car map mid-drag: layers shown.
    car->MoveThumb({car->Delays().speakerPx[4].x + 40, car->Delays().speakerPx[4].y - 60}, 5);
    app.processEvents();
    ok &= SavePng(car, saveDir, "skcar-drag");
    ok &= SavePng(knob, saveDir, "skrotaryknob");
    ok &= SavePng(sliders, saveDir, "skslider");
    ok &= SavePng(buttons, saveDir, "buttons");
    ok &= SavePng(edits, saveDir, "edits-gif");
    ok &= SavePng(&page, saveDir, "gallery");
    return ok ? 0 : 1;
}
