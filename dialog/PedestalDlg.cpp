#include "dialog/PedestalDlg.h"

#include "panel/PedestalStatus.h"
#include "panel/PedestalTemplate.h"
#include "panel/Resources.h"
#include "panel/ShownControls.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimerEvent>

#include <iterator>

using namespace PedestalStatus;

namespace {

QString BitmapPath(int resourceId) {
    return QStringLiteral(":/pedestal/res/bitmap%1.bmp").arg(resourceId);
}

QRect PixelRect(int x, int y, int w, int h) {
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(w),
                 DialogUnitsToPixelsY(h));
}

} // namespace

// The pictures are compiled into a static library, whose resource
// initialiser the linker would otherwise drop.
static void InitPictureResources() {
    Q_INIT_RESOURCE(Pedestal);
}

CPedestalDlg::CPedestalDlg(QWidget* parent, const char* blockName)
    : QDialog(parent), m_BlockName(blockName), m_MessageBox(ShowMessageBox), m_Notice(ShowNotice) {
    m_Core.AddListener([this](const Update& update) { Apply(update); });
    InitPictureResources();
    const DialogTemplate& dlg = PedestalTemplate();

    // The template's font is "MS Sans Serif" 8; the nearest sans face that
    // this machine has takes its place at the same size.
    QFont font;
    font.setFamilies({QString::fromLatin1(dlg.fontName), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(dlg.pointSize);
    setFont(font);

    BuildControls();
    ConnectMessageMap();
    setFixedSize(DialogUnitsToPixelsX(dlg.width), DialogUnitsToPixelsY(dlg.height));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(dlg.caption));

    m_hIcon = QIcon(QStringLiteral(":/pedestal/res/icon128.ico"));
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

void CPedestalDlg::BuildControls() {
    const DialogTemplate& dlg = PedestalTemplate();
    std::vector<QWidget*> frames;
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        const TemplateControl& control = dlg.controls[i];
        const QString caption = QString::fromLatin1(control.caption);
        QWidget* widget = nullptr;
        QPixmap bitmap;
        switch (KindOf(control)) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(caption, this);
            button->setDefault(IsDefaultButton(control.style));
            widget = button;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(caption, this);
            frames.push_back(widget);
            break;
        case ControlKind::Text: {
            auto* text = new QLabel(caption, this);
            text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = text;
            break;
        }
        case ControlKind::Bitmap: {
            auto* picture = new QLabel(this);
            bitmap = QPixmap(BitmapPath(control.bitmap), "BMP");
            picture->setPixmap(bitmap);
            widget = picture;
            break;
        }
        case ControlKind::Trackbar: {
            auto* slider = new QSlider(Qt::Vertical, this);
            slider->setRange(0, 100);
            // A trackbar's minimum is at its top.
            slider->setInvertedAppearance(true);
            slider->setInvertedControls(true);
            widget = slider;
            break;
        }
        }
        widget->setGeometry(PixelRect(control.x, control.y, control.w, control.h));
        // A bitmap static takes the size of its bitmap.
        if (!bitmap.isNull())
            widget->resize(bitmap.size());
        widget->setEnabled(!IsDisabled(control.style));
        widget->setVisible(IsVisible(control.style));
        m_Controls.push_back(widget);
    }
    // The frames come last in the template and so lie beneath the controls
    // they surround; without this they would swallow the buttons' clicks.
    for (QWidget* frame : frames)
        frame->lower();
}

void CPedestalDlg::ConnectMessageMap() {
    struct Entry {
        int id;
        void (CPedestalDlg::*handler)();
    };
    static const Entry kMessageMap[] = {
        {IDC_FLAP_1, &CPedestalDlg::OnFlap1},
        {IDC_FLAP_2, &CPedestalDlg::OnFlap2},
        {IDC_FLAP_3, &CPedestalDlg::OnFlap3},
        {IDC_FLAP_FULL, &CPedestalDlg::OnFlapFull},
        {IDC_FLAP_UP, &CPedestalDlg::OnFlapUp},
        {IDC_SPEED_BRAKE_OUT, &CPedestalDlg::OnSpeedBrakeOut},
        {IDC_SPEED_BRAKE_IN, &CPedestalDlg::OnSpeedBrakeIn},
        {IDC_GEAR_DOWN, &CPedestalDlg::OnGearDown},
        {IDC_GEAR_UP, &CPedestalDlg::OnGearUp},
        {IDC_THRUST_SLIDER, &CPedestalDlg::OnThrustSliderReleased},
        {IDC_BRAKES, &CPedestalDlg::OnBrakes},
        {IDC_THRUST_CL, &CPedestalDlg::OnThrustCl},
        {IDC_THRUST_IDLE, &CPedestalDlg::OnThrustIdle},
        {IDC_THRUST_FLXMCT, &CPedestalDlg::OnThrustFlxMct},
        {IDC_THRUST_TOGA, &CPedestalDlg::OnThrustToGa},
    };
    for (const Entry& entry : kMessageMap) {
        QWidget* control = GetDlgItem(entry.id);
        if (auto* slider = qobject_cast<QSlider*>(control))
            connect(slider, &QSlider::sliderReleased, this, entry.handler);
        else if (auto* button = qobject_cast<QPushButton*>(control))
            connect(button, &QPushButton::clicked, this, entry.handler);
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
    if (m_BrakesButton == nullptr) {
        m_BrakesButton = static_cast<QPushButton*>(GetDlgItem(IDC_BRAKES));
        m_ThrustSlider = static_cast<QSlider*>(GetDlgItem(IDC_THRUST_SLIDER));
        m_ThrustPicture = static_cast<QLabel*>(GetDlgItem(IDC_THRUST_PICTURE));
        m_GearPicture = static_cast<QLabel*>(GetDlgItem(IDC_GEAR_PICTURE));
        m_SpeedBrakePicture = static_cast<QLabel*>(GetDlgItem(IDC_SPEED_BRAKE_PICTURE));
        m_FlapPicture = static_cast<QLabel*>(GetDlgItem(IDC_FLAP_PICTURE));
        m_FlapTextStatic = static_cast<QLabel*>(GetDlgItem(IDC_FLAP_TEXT));
        m_GearTextStatic = static_cast<QLabel*>(GetDlgItem(IDC_GEAR_TEXT));
        m_SpeedBrakeTextStatic = static_cast<QLabel*>(GetDlgItem(IDC_SPEED_BRAKE_TEXT));
        m_ThrustTextStatic = static_cast<QLabel*>(GetDlgItem(IDC_THRUST_TEXT));
        m_BrakesTextStatic = static_cast<QLabel*>(GetDlgItem(IDC_BRAKES_TEXT));
    }
    m_FlapTextStatic->setText(m_FlapText);
    m_GearTextStatic->setText(m_GearText);
    m_SpeedBrakeTextStatic->setText(m_SpeedBrakeText);
    m_ThrustTextStatic->setText(m_ThrustText);
    m_BrakesTextStatic->setText(m_BrakesText);
}

bool CPedestalDlg::OnInitDialog() {
    if (m_bInitialised)
        return false;
    m_bInitialised = true;
    DoDataExchange();
    setWindowIcon(m_hIcon);
    LoadBitmaps();
    SetUpSharedMemory();
    m_TimerId = startTimer(kStatusPeriodMs, Qt::PreciseTimer);
    return m_TimerId != 0;
}

void CPedestalDlg::LoadBitmaps() {
    for (std::size_t i = 0; i < std::size(kBitmapResourceIds); ++i)
        m_Bitmaps[i] = QPixmap(BitmapPath(kBitmapResourceIds[i]), "BMP");
}

const QPixmap& CPedestalDlg::Bitmap(int resourceId) const {
    static const QPixmap kNone;
    for (std::size_t i = 0; i < std::size(kBitmapResourceIds); ++i) {
        if (kBitmapResourceIds[i] == resourceId)
            return m_Bitmaps[i];
    }
    return kNone;
}

bool CPedestalDlg::SetUpSharedMemory() {
    Attachment& attachment = m_Core.GetAttachment();
    if (attachment.Attach(m_BlockName))
        return true;
    m_MessageBox(this, QString::fromLocal8Bit(attachment.FailureText().c_str()),
                 QStringLiteral("CPedestalDlg::SetUpSharedMemory"));
    return false;
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

QIcon CPedestalDlg::OnQueryDragIcon() const {
    return m_hIcon;
}

void CPedestalDlg::OnOK() {
    accept();
}

void CPedestalDlg::OnClose() {
    OnOK();
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

void CPedestalDlg::OnThrustSliderReleased() {
    m_Core.ReleaseSlider(m_ThrustSlider->value());
}

void CPedestalDlg::Apply(const Update& update) {
    // Controls are bound by the first data exchange, in OnInitDialog.
    if (!m_bInitialised)
        return;
    const ShownState& shown = m_Core.Shown();
    for (const ShownControl& picture : kShownControls) {
        if (picture.bitmap != nullptr && (update.changes & picture.change))
            SetPicture(static_cast<QLabel*>(GetDlgItem(picture.controlId)), shown.*picture.bitmap);
    }
    if (update.changes & kSliderPosition)
        m_ThrustSlider->setValue(update.sliderPosition);
    if (update.changes & kBrakesCaption)
        m_BrakesButton->setText(QString::fromLatin1(shown.brakesCaption));
    // A lost or recovered block is told without stopping the tick.
    if (update.changes & kNotice)
        m_Notice(this, QString::fromLocal8Bit(m_Core.Notice().c_str()),
                 QStringLiteral("CPedestalDlg::SetUpSharedMemory"));
    if (update.changes & kTicked) {
        m_BrakesText = QString::fromLatin1(shown.brakesText);
        m_GearText = QString::fromLatin1(shown.gearText);
        m_FlapText = QString::fromLatin1(shown.flapText);
        m_ThrustText = QString::fromLatin1(shown.thrustText);
        m_SpeedBrakeText = QString::fromLatin1(shown.speedBrakeText);
        DoDataExchange();
    }
}

void CPedestalDlg::SetPicture(QLabel* picture, int resourceId) {
    const QPixmap& bitmap = Bitmap(resourceId);
    picture->setPixmap(bitmap);
    if (!bitmap.isNull())
        picture->resize(bitmap.size());
}
