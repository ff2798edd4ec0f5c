#include "mainwindow/Tonecast2.h"

#include "keyboard/Keyboard.h"
#include "mainwindow/ProgramNames.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace {
class TDeferredStartEvent : public QEvent {
public:
    TDeferredStartEvent() : QEvent(TTonecast2::DeferredStartEvent) {}
    int value = TTonecast2::DeferredStartValue;
};
} // namespace

TTonecast2::TTonecast2(QWidget* parent) : TTonecast(parent), midiOut_(std::make_unique<TMidiOutput>()) {
    setWindowTitle(QString::fromStdString(ProgramName()));
    QApplication::setApplicationDisplayName(QString());
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("E&xit", this, &QWidget::close);
    CreateStatusBar();
    OutputEvent = [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { OutputMessage(s, d1, d2); };
    Keyboard1->OnDisplayEvent = [this](TKeyboard*, std::uint8_t s, std::uint8_t d1, std::uint8_t d2) {
        ReflectMessage(s, d1, d2);
    };
    Keyboard1->OnNoteHover = [this](TKeyboard*, const std::string& name) {
        SetStatusText(1, QString::fromStdString(name));
    };
    Keyboard1->OnBaseNoteChange = [this](TKeyboard*, const std::string& name) {
        SetStatusText(2, QString("Base: %1").arg(QString::fromStdString(name)));
    };
    SetStatusText(2, QString("Base: %1").arg(QString::fromStdString(Keyboard1->NoteName(Keyboard1->BaseNote()))));
    ApplySizeLimits();
}

void TTonecast2::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, palette().color(QPalette::Button));
    p.setColor(QPalette::WindowText, palette().color(QPalette::ButtonText));
    bar->setPalette(p);
    bar->setAutoFillBackground(true);
    const int designWidths[5] = {200, 50, 50, 50, 50};
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i == 0) {
            panel->setMinimumWidth(1);
            bar->addWidget(panel, 1); // panel 0 takes the rest
        } else {
            panel->setFixedWidth(designWidths[i]);
            bar->addPermanentWidget(panel);
        }
        statusPanels_[static_cast<std::size_t>(i)] = panel;
    }
}

void TTonecast2::MeasureStatusPanels() {
    if (statusWidthsMeasured_) return;
    const QFontMetrics metrics(statusBar()->font());
    const char* const samples[5] = {nullptr, "WWWWWWWWW", "Base: WWW", "Octave: 122", "WWWWWWWWWW"};
    int widths[5] = {};
    for (int i = 1; i < 5; ++i) widths[i] = metrics.horizontalAdvance(samples[i]) + 8; // frame and margin
    if (widths[1] < 2 || widths[2] < 2 || widths[3] < 2) return;
    for (int i = 1; i < 5; ++i) statusPanels_[static_cast<std::size_t>(i)]->setFixedWidth(widths[i]);
    statusWidthsMeasured_ = true;
}

void TTonecast2::LayoutControls() {
    TTonecast::LayoutControls();
    MeasureStatusPanels();
}

void TTonecast2::SetStatusText(int panel, const QString& text) {
    statusPanels_[static_cast<std::size_t>(panel)]->setText(text);
}

QString TTonecast2::StatusText(int panel) const { return statusPanels_[static_cast<std::size_t>(panel)]->text(); }

int TTonecast2::StatusPanelWidth(int panel) const {
    return statusPanels_[static_cast<std::size_t>(panel)]->width();
}

TTonecast2::~TTonecast2() {
    if (!closed_) FormClose();
}

void TTonecast2::showEvent(QShowEvent* event) {
    TTonecast::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TTonecast2::FormShow() {
    auto store = OpenRegistryStore();
    LoadSettings(*store);
    stage_ = TStage::Shown;
    Keyboard1->setFocus();
    QApplication::postEvent(this, new TDeferredStartEvent);
}

bool TTonecast2::event(QEvent* event) {
    if (event->type() == DeferredStartEvent &&
        static_cast<TDeferredStartEvent*>(event)->value == DeferredStartValue) {
        DeferredStart();
        return true;
    }
    return TTonecast::event(event);
}

void TTonecast2::DeferredStart() {
    if (stage_ != TStage::Shown) return;
    repaint();
    // Stand-in for the output device menu: offer the program's own port.
    try {
        midiOut_->SetDeviceID(MIDI_MAPPER);
        midiOut_->Open();
    } catch (const EMidiOutputError& e) {
        ShowMessage(this, QString::fromStdString(e.what()));
    }
    stage_ = TStage::Running;
}

void TTonecast2::OutputMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    midiOut_->SendShortMsg(status, data1, data2);
    ReflectMessage(status, data1, data2);
}

void TTonecast2::ReflectMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    data1 &= 0x7F;
    data2 &= 0x7F;
    switch (status >> 4) {
    case 0xB:
        if (data1 == 0) receivedBankMsb_ = data2;
        else if (data1 == 32) receivedBankLsb_ = data2;
        Keyboard1->SetControllerValue(data1, data2);
        break;
    case 0xC:
        if (receivedBankMsb_ != 128 && receivedBankLsb_ != 128) {
            bankMsb_ = receivedBankMsb_;
            bankLsb_ = receivedBankLsb_;
        }
        program_ = data1;
        receivedBankMsb_ = receivedBankLsb_ = 128;
        break;
    default: break;
    }
}

void TTonecast2::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TTonecast2::FormClose() {
    if (closed_) return;
    closed_ = true;
    stage_ = TStage::Closing;
    Keyboard1->ResetAll(); // note offs go out while the port is still open
    try {
        auto store = OpenRegistryStore();
        SaveSettings(*store);
        store->Close();
    } catch (const EStoreError& e) {
        ShowMessage(this, QString("The settings could not be saved: %1").arg(e.what()));
    }
    try {
        midiOut_->Close();
    } catch (const EMidiOutputError& e) {
        ShowMessage(this, QString::fromStdString(e.what()));
    }
}

void TTonecast2::LoadSettings(TIniStore& store) {
    TTonecast::LoadSettings(store);
    const std::string& s = settingsSection_;
    firstTime_ = store.ReadBool(s, "First Time", true);
    program_ = store.ReadInteger(s, "Program", program_);
    bankMsb_ = store.ReadInteger(s, "Bank MSB", bankMsb_);
    bankLsb_ = store.ReadInteger(s, "Bank LSB", bankLsb_);
}

void TTonecast2::SaveSettings(TIniStore& store) {
    TTonecast::SaveSettings(store);
    const std::string& s = settingsSection_;
    store.WriteBool(s, "First Time", false);
    store.WriteInteger(s, "Program", program_);
    store.WriteInteger(s, "Bank MSB", bankMsb_);
    store.WriteInteger(s, "Bank LSB", bankLsb_);
    firstTime_ = false;
}
