#include "dialog/PedestalDlg.h"

#include "panel/PedestalStatus.h"
#include "panel/PedestalTemplate.h"
#include "shm/TS_P_0001_02_Shm.h"
#include "textfunctions/TextFunctions.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimerEvent>

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
    : QDialog(parent), m_BlockName(blockName), m_MessageBox(ShowMessageBox) {
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
    m_bShownGearUp = false;
    LoadBitmaps();
    SetUpSharedMemory();
    m_TimerId = startTimer(kStatusPeriodMs, Qt::PreciseTimer);
    return m_TimerId != 0;
}

void CPedestalDlg::LoadBitmaps() {
    struct Load {
        QPixmap CPedestalDlg::*member;
        int resourceId;
    };
    static const Load kBitmaps[] = {
        {&CPedestalDlg::m_FlapsUpBitmap, 131},       {&CPedestalDlg::m_Flaps1Bitmap, 133},
        {&CPedestalDlg::m_Flaps2Bitmap, 134},        {&CPedestalDlg::m_Flaps3Bitmap, 135},
        {&CPedestalDlg::m_FlapsFullBitmap, 136},     {&CPedestalDlg::m_SpeedBrakeInBitmap, 137},
        {&CPedestalDlg::m_SpeedBrakeOutBitmap, 138}, {&CPedestalDlg::m_GearDownBitmap, 139},
        {&CPedestalDlg::m_GearUpBitmap, 140},        {&CPedestalDlg::m_ThrustIdleBitmap, 141},
        {&CPedestalDlg::m_ThrustClBitmap, 144},      {&CPedestalDlg::m_ThrustFlxMctBitmap, 142},
        {&CPedestalDlg::m_ThrustToGaBitmap, 143},
    };
    for (const Load& load : kBitmaps)
        this->*load.member = QPixmap(BitmapPath(load.resourceId), "BMP");
}

const QPixmap& CPedestalDlg::Bitmap(int resourceId) const {
    static const QPixmap kNone;
    switch (resourceId) {
    case 131:
        return m_FlapsUpBitmap;
    case 133:
        return m_Flaps1Bitmap;
    case 134:
        return m_Flaps2Bitmap;
    case 135:
        return m_Flaps3Bitmap;
    case 136:
        return m_FlapsFullBitmap;
    case 137:
        return m_SpeedBrakeInBitmap;
    case 138:
        return m_SpeedBrakeOutBitmap;
    case 139:
        return m_GearDownBitmap;
    case 140:
        return m_GearUpBitmap;
    case 141:
        return m_ThrustIdleBitmap;
    case 142:
        return m_ThrustFlxMctBitmap;
    case 143:
        return m_ThrustToGaBitmap;
    case 144:
        return m_ThrustClBitmap;
    default:
        return kNone;
    }
}

bool CPedestalDlg::SetUpSharedMemory() {
    m_pShm = m_BlockName != nullptr ? std::make_unique<TS_P_0001_02_Shm>(m_BlockName)
                                    : std::make_unique<TS_P_0001_02_Shm>();
    if (m_pShm->IsValid()) {
        m_pSimBlock = m_pShm->GetBlock();
        return true;
    }
    char text[100];
    FormatIntoBuffer(text, sizeof text, "%s", m_pShm->GetErrorText());
    m_MessageBox(this, QString::fromLocal8Bit(text),
                 QStringLiteral("CPedestalDlg::SetUpSharedMemory"));
    m_pSimBlock = nullptr;
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
    m_pShm.reset();
    m_pSimBlock = nullptr;
}

void CPedestalDlg::timerEvent(QTimerEvent* event) {
    OnTimer(event->timerId());
}

void CPedestalDlg::OnTimer(int /*timerId*/) {
    if (!m_bInitialised)
        return;
    ShowFlaps();
    ShowSpeedBrake();
    ShowGear();
    ShowThrust();
    m_SliderHoldOff = LowerHoldOff(m_SliderHoldOff);
    m_BrakesText = QString::fromLatin1(
        BrakesText(m_pSimBlock != nullptr && BrakesSet(m_pSimBlock->brakeDemand)));
    m_GearText = QString::fromLatin1(GearText(m_bShownGearUp));
    m_FlapText = QString::fromLatin1(FlapText(m_FlapState));
    m_ThrustText = QString::fromLatin1(ThrustText(m_ThrustState));
    m_SpeedBrakeText = QString::fromLatin1(SpeedBrakeText(m_bSpeedBrakeIn));
    if (m_pSimBlock != nullptr)
        m_pSimBlock->aidControlsHeartbeat = NextHeartbeat(m_pSimBlock->aidControlsHeartbeat);
    DoDataExchange();
}

void CPedestalDlg::SetPicture(QLabel* picture, const QPixmap& bitmap) {
    picture->setPixmap(bitmap);
    if (!bitmap.isNull())
        picture->resize(bitmap.size());
}

void CPedestalDlg::ShowFlaps() {
    if (m_pSimBlock != nullptr)
        m_FlapState = FlapStateOf(m_pSimBlock->flapLever, m_FlapState);
    if (m_FlapState != m_ShownFlapState) {
        SetPicture(m_FlapPicture, Bitmap(FlapBitmap(m_FlapState)));
        m_ShownFlapState = m_FlapState;
    }
}

void CPedestalDlg::ShowSpeedBrake() {
    if (m_bShownSpeedBrakeIn && !m_bSpeedBrakeIn)
        SetPicture(m_SpeedBrakePicture, m_SpeedBrakeOutBitmap);
    if (!m_bShownSpeedBrakeIn && m_bSpeedBrakeIn)
        SetPicture(m_SpeedBrakePicture, m_SpeedBrakeInBitmap);
    // Written on every tick: the selection is held against other writers.
    if (m_pSimBlock != nullptr)
        m_pSimBlock->speedBrakeLever = SpeedBrakeLeverValue(m_bSpeedBrakeIn);
    m_bShownSpeedBrakeIn = m_bSpeedBrakeIn;
}

void CPedestalDlg::ShowGear() {
    const bool gearUp = m_pSimBlock != nullptr ? m_pSimBlock->gearLeverUp != 0 : m_bShownGearUp;
    if (gearUp && !m_bShownGearUp)
        SetPicture(m_GearPicture, m_GearUpBitmap);
    if (m_bShownGearUp && !gearUp)
        SetPicture(m_GearPicture, m_GearDownBitmap);
    m_bShownGearUp = gearUp;
}

void CPedestalDlg::ShowThrust() {
    if (m_pSimBlock != nullptr)
        m_ThrustState = ThrustStateOf(m_pSimBlock->thrustLever[0]);
    if (m_ThrustState != m_ShownThrustState)
        SetPicture(m_ThrustPicture, Bitmap(ThrustBitmap(m_ThrustState)));
    m_ShownThrustState = m_ThrustState;
    int position = 0;
    if (m_SliderHoldOff == -1 && m_pSimBlock != nullptr &&
        SliderPositionFor(m_pSimBlock->thrustLever[0], &position))
        m_ThrustSlider->setValue(position);
}

void CPedestalDlg::SetFlapLever(int detent) {
    if (m_pSimBlock == nullptr)
        return;
    for (int i = 0; i < kFlapFlags; ++i)
        m_pSimBlock->flapLever[i] = i == detent ? 1 : 0;
}

void CPedestalDlg::OnFlapUp() {
    SetFlapLever(0);
}
void CPedestalDlg::OnFlap1() {
    SetFlapLever(1);
}
void CPedestalDlg::OnFlap2() {
    SetFlapLever(2);
}
void CPedestalDlg::OnFlap3() {
    SetFlapLever(3);
}
void CPedestalDlg::OnFlapFull() {
    SetFlapLever(4);
}

void CPedestalDlg::OnSpeedBrakeIn() {
    m_bSpeedBrakeIn = true;
}
void CPedestalDlg::OnSpeedBrakeOut() {
    m_bSpeedBrakeIn = false;
}

void CPedestalDlg::OnGearUp() {
    if (m_pSimBlock == nullptr)
        return;
    m_pSimBlock->gearLeverUp = 1;
    m_pSimBlock->gearUpSelected = 1;
    m_pSimBlock->gearDownSelected = 0;
}

void CPedestalDlg::OnGearDown() {
    if (m_pSimBlock == nullptr)
        return;
    m_pSimBlock->gearLeverUp = 0;
    m_pSimBlock->gearUpSelected = 0;
    m_pSimBlock->gearDownSelected = 1;
}

void CPedestalDlg::OnBrakes() {
    if (m_pSimBlock == nullptr)
        return;
    // Decided from the block, not the caption, so a click always moves the
    // brakes away from what another writer left.
    const bool release = BrakesButtonReleases(m_pSimBlock->brakeDemand[1]);
    const double demand = release ? 0.0 : 1.0;
    for (double& brake : m_pSimBlock->brakeDemand)
        brake = demand;
    m_BrakesButton->setText(QString::fromLatin1(BrakesCaption(!release)));
}

void CPedestalDlg::SetThrust(double value) {
    if (m_pSimBlock == nullptr)
        return;
    m_pSimBlock->thrustLever[0] = value;
    m_pSimBlock->thrustLever[1] = value;
}

void CPedestalDlg::OnThrustToGa() {
    SetThrust(kThrustToGaValue);
}
void CPedestalDlg::OnThrustFlxMct() {
    SetThrust(kThrustFlxMctValue);
}
void CPedestalDlg::OnThrustCl() {
    SetThrust(kThrustClValue);
}
void CPedestalDlg::OnThrustIdle() {
    SetThrust(kThrustIdleValue);
}

void CPedestalDlg::OnThrustSliderReleased() {
    m_SliderHoldOff = kSliderHoldOffTicks;
    if (m_pSimBlock != nullptr)
        SetThrust(ThrustFromSlider(m_ThrustSlider->value()));
}
