#include "dialog/PedestalDlg.h"

#include "dialog/TemplateControls.h"
#include "panel/PedestalStatus.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimerEvent>

#include <span>

using namespace PedestalStatus;

CPedestalDlg::CPedestalDlg(QWidget* parent, const char* blockName)
    : QDialog(parent), m_BlockName(blockName), m_MessageBox(ShowMessageBox), m_Notice(ShowNotice) {
    m_Core.AddListener([this](const Update& update) { Apply(update); });
    const DialogTemplate& dlg = PedestalTemplate();

    // The template's font is "MS Sans Serif" 8; the nearest sans face that
    // this machine has takes its place at the same size.
    QFont font;
    font.setFamilies({QString::fromLatin1(dlg.fontName), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(dlg.pointSize);
    setFont(font);

    m_Controls = BuildTemplateControls(this, [this](int id) { return Bitmap(id); });
    ConnectMessageMap();
    setFixedSize(DialogUnitsToPixelsX(dlg.width), DialogUnitsToPixelsY(dlg.height));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(dlg.caption));

    m_hIcon = IconPicture();
}

CPedestalDlg::~CPedestalDlg() {
    OnDestroy();
}

void CPedestalDlg::ShowMessageBox(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void CPedestalDlg::ShowNotice(QWidget* owner, const QString& text, const QString& caption) {
    // Not modal: the window goes on ticking under it. A newer notice
    // replaces an older one still open.
    static QPointer<QMessageBox> open;
    if (open != nullptr)
        open->close();
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    open = box;
}

void CPedestalDlg::ConnectMessageMap() {
    int count = 0;
    const CommandInfo* table = CommandTable(&count);
    for (const CommandInfo& info : std::span(table, static_cast<std::size_t>(count))) {
        const Command command = info.command;
        QWidget* control = GetDlgItem(info.controlId);
        if (auto* slider = qobject_cast<QSlider*>(control))
            connect(slider, &QSlider::sliderReleased, this,
                    [this, slider, command] { m_Core.Execute(command, slider->value()); });
        else if (auto* button = qobject_cast<QPushButton*>(control))
            connect(button, &QPushButton::clicked, this,
                    [this, command] { m_Core.Execute(command); });
    }
}

QWidget* CPedestalDlg::GetDlgItem(int id) const {
    const DialogTemplate& dlg = PedestalTemplate();
    for (std::size_t i = 0; i < m_Controls.size(); ++i) {
        if (dlg.controls[i].id == id)
            return m_Controls[i];
    }
    return nullptr;
}

void CPedestalDlg::DoDataExchange() {
    if (m_Shown[0].control == nullptr) {
        for (std::size_t i = 0; i < std::size(kShownControls); ++i)
            m_Shown[i].control = GetDlgItem(kShownControls[i].controlId);
    }
    for (std::size_t i = 0; i < std::size(kShownControls); ++i) {
        if (kShownControls[i].change & kAllTexts)
            static_cast<QLabel*>(m_Shown[i].control)->setText(m_Shown[i].text);
    }
}

bool CPedestalDlg::OnInitDialog() {
    if (m_bInitialised)
        return false;
    m_bInitialised = true;
    DoDataExchange();
    setWindowIcon(m_hIcon);
    SetUpSharedMemory();
    m_TimerId = startTimer(kStatusPeriodMs, Qt::PreciseTimer);
    return m_TimerId != 0;
}

const QPixmap& CPedestalDlg::Bitmap(int resourceId) const {
    static const QPixmap kNone;
    const int slot = BitmapSlot(resourceId);
    if (slot < 0)
        return kNone;
    // Decoded when first wanted, so that only the pictures in use cost memory.
    if (m_Bitmaps[slot].isNull())
        m_Bitmaps[slot] = Picture(resourceId);
    return m_Bitmaps[slot];
}

bool CPedestalDlg::SetUpSharedMemory() {
    return m_Core.SetUpSharedMemory(m_BlockName, [this](const char* text, const char* caption) {
        m_MessageBox(this, QString::fromLocal8Bit(text), QString::fromLatin1(caption));
    });
}

void CPedestalDlg::showEvent(QShowEvent* event) {
    // Like a dialog's initialisation, this runs before the window appears.
    if (!m_bInitialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CPedestalDlg::paintEvent(QPaintEvent* event) {
    if (isMinimized())
        OnPaint();
    else
        QDialog::paintEvent(event);
}

void CPedestalDlg::OnPaint() {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const IconOrigin origin = CentredIcon(width(), height(), kSystemIconSize, kSystemIconSize);
    m_hIcon.paint(&painter, origin.x, origin.y, kSystemIconSize, kSystemIconSize);
}

void CPedestalDlg::closeEvent(QCloseEvent* event) {
    OnClose();
    event->accept();
}

void CPedestalDlg::done(int result) {
    QDialog::done(result);
    // The window is gone once the modal run ends; so is its attachment.
    OnDestroy();
}

void CPedestalDlg::OnDestroy() {
    if (m_TimerId != 0) {
        killTimer(m_TimerId);
        m_TimerId = 0;
    }
    m_Core.GetAttachment().UseBlock(nullptr);
    m_Core.GetAttachment().Detach();
}

void CPedestalDlg::timerEvent(QTimerEvent* event) {
    OnTimer(event->timerId());
}

void CPedestalDlg::OnTimer(int /*timerId*/) {
    if (m_bInitialised)
        m_Core.Tick();
}

void CPedestalDlg::Apply(const Update& update) {
    // Controls are bound by the first data exchange, in OnInitDialog.
    if (!m_bInitialised)
        return;
    const ShownState& shown = m_Core.Shown();
    // A tick takes all five texts, changed or not; the caption when it changes.
    const unsigned taken = update.changes & kTicked ? update.changes | kAllTexts : update.changes;
    for (std::size_t i = 0; i < std::size(kShownControls); ++i) {
        const ShownControl& row = kShownControls[i];
        ShownControlState& control = m_Shown[i];
        if (!(taken & row.change))
            continue;
        if (row.bitmap != nullptr) {
            SetPicture(static_cast<QLabel*>(control.control), shown.*row.bitmap);
            continue;
        }
        if (control.taken != shown.*row.text) {
            control.taken = shown.*row.text;
            control.text = QString::fromLatin1(control.taken);
        }
        if (!(row.change & kAllTexts))
            static_cast<QPushButton*>(control.control)->setText(control.text);
    }
    if (update.changes & kSliderPosition)
        static_cast<QSlider*>(GetDlgItem(IDC_THRUST_SLIDER))->setValue(update.sliderPosition);
    // A lost or recovered block is told without stopping the tick.
    if (update.changes & kNotice)
        m_Notice(this, QString::fromLocal8Bit(m_Core.Notice().c_str()),
                 QString::fromLatin1(PedestalCore::kBlockCaption));
    if (update.changes & kTicked)
        DoDataExchange();
}

void CPedestalDlg::SetPicture(QLabel* picture, int resourceId) {
    const QPixmap& bitmap = Bitmap(resourceId);
    picture->setPixmap(bitmap);
    if (!bitmap.isNull())
        picture->resize(bitmap.size());
}
