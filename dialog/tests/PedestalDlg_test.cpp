// The pedestal window against a block of the test's own name: what each click
// writes, what each tick shows and writes back, the failure path, the layout
// and the ways the window ends.
#include "dialog/PedestalDlg.h"
#include "panel/PedestalStatus.h"
#include "panel/PedestalTemplate.h"
#include "shm/TS_P_0001_02_Shm.h"
#include "shm/tests/ShmTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

// The whole block as bytes, to prove a click touched nothing but its fields.
std::vector<unsigned char> Snapshot(const GenericSimBlock* block) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(block);
    return std::vector<unsigned char>(bytes, bytes + sizeof(GenericSimBlock));
}

bool SameBytes(const std::vector<unsigned char>& snapshot, const GenericSimBlock* block) {
    return std::memcmp(snapshot.data(), block, snapshot.size()) == 0;
}

} // namespace

class PedestalDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyButtonReachesItsCommand();

    void brakesButtonTwiceSetsThenReleases();
    void speedBrakeClickWritesOnlyOnTheNextTick();
    void sliderReleaseWritesAndHoldsTheSlider();
    void sliderFollowsTheBlockOnTheSecondTickAfterStart();

    void speedBrakeIsReassertedOverAnotherWriter();
    void picturesAreSetOnlyWhenAStateChanges();
    void fiveTextsExactly_data();
    void fiveTextsExactly();
    void staticsAreEmptyUntilTheFirstTick();
    void anyTimerIdRunsAWholeTick();
    void runningTimerTicks();

    void versionMismatchShowsTheErrorAndRunsOn();
    void shrunkBlockIsToldWithoutStoppingTheTick();
    void unnamableBlockShowsTheSystemsText();

    void controlsSitAtTheirTemplateRectangles();
    void bitmapsAndIconAreCompiledIn();
    void closeBoxEndsWithOkAndDetaches();
    void okEndsTheModalRun();
    void terminationSignalClosesTheWindow_data();
    void terminationSignalClosesTheWindow();

private:
    // A dialog on the test's block; the box function records instead of
    // waiting on a modal box.
    std::unique_ptr<CPedestalDlg> MakeDialog(const char* name);
    QString Text(int id) const;
    QImage Picture(int id) const;
    QImage BitmapImage(int resourceId) const { return m_Dlg->Bitmap(resourceId).toImage(); }
    void Click(int id) { static_cast<QAbstractButton*>(m_Dlg->GetDlgItem(id))->click(); }
    QSlider* Slider() const { return static_cast<QSlider*>(m_Dlg->GetDlgItem(IDC_THRUST_SLIDER)); }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i)
            m_Dlg->OnTimer(CPedestalDlg::kStatusTimerId);
    }

    std::unique_ptr<shmtest::ScopedName> m_Name;
    std::unique_ptr<TS_P_0001_02_Shm> m_Own;
    GenericSimBlock* m_Block = nullptr;
    std::unique_ptr<CPedestalDlg> m_Dlg;
    QStringList m_Boxes;
};

std::unique_ptr<CPedestalDlg> PedestalDlgTest::MakeDialog(const char* name) {
    auto dlg = std::make_unique<CPedestalDlg>(nullptr, name);
    dlg->SetMessageBoxFunction([this](QWidget*, const QString& text, const QString& caption) {
        m_Boxes << caption << text;
    });
    return dlg;
}

void PedestalDlgTest::init() {
    m_Boxes.clear();
    m_Name = std::make_unique<shmtest::ScopedName>("dialog");
    m_Own = std::make_unique<TS_P_0001_02_Shm>(m_Name->c_str());
    QVERIFY(m_Own->IsValid());
    m_Block = m_Own->GetBlock();
    m_Dlg = MakeDialog(m_Name->c_str());
    QVERIFY(m_Dlg->OnInitDialog());
    QCOMPARE(m_Block->userCount, 2);
    QVERIFY(m_Boxes.isEmpty());
}

void PedestalDlgTest::cleanup() {
    m_Dlg.reset();
    m_Own.reset();
    m_Name.reset();
}

QString PedestalDlgTest::Text(int id) const {
    return static_cast<QLabel*>(m_Dlg->GetDlgItem(id))->text();
}

QImage PedestalDlgTest::Picture(int id) const {
    return static_cast<QLabel*>(m_Dlg->GetDlgItem(id))->pixmap().toImage();
}

// --- Commands --------------------------------------------------------------
// What each command writes is the core's business; here each control must
// reach its command, and the window must show what follows.

void PedestalDlgTest::everyButtonReachesItsCommand() {
    struct Row {
        int id;
        std::size_t offset; // the one byte the click must set to `value`
        unsigned char value;
    };
    const std::size_t flaps = offsetof(GenericSimBlock, flapLever);
    const std::size_t thrust = offsetof(GenericSimBlock, thrustLever) + 7; // top byte of a double
    const Row rows[] = {
        {IDC_FLAP_UP, flaps + 0, 1},
        {IDC_FLAP_1, flaps + 1, 1},
        {IDC_FLAP_2, flaps + 2, 1},
        {IDC_FLAP_3, flaps + 3, 1},
        {IDC_FLAP_FULL, flaps + 4, 1},
        {IDC_GEAR_UP, offsetof(GenericSimBlock, gearLeverUp), 1},
        {IDC_GEAR_DOWN, offsetof(GenericSimBlock, gearDownSelected), 1},
        {IDC_BRAKES, offsetof(GenericSimBlock, brakeDemand) + 7, 0x3F}, // 1.0
        {IDC_THRUST_TOGA, thrust, 0x40},
        {IDC_THRUST_FLXMCT, thrust, 0x40},
        {IDC_THRUST_CL, thrust, 0x40},
        {IDC_THRUST_IDLE, thrust, 0x00},
    };
    auto* bytes = reinterpret_cast<unsigned char*>(m_Block);
    for (const Row& row : rows) {
        std::memset(bytes + flaps, 0, 5);
        m_Block->thrustLever[0] = -1.0; // top byte 0xBF
        m_Block->gearLeverUp = m_Block->gearDownSelected = 7;
        m_Block->brakeDemand[1] = 0.0;
        Click(row.id);
        QVERIFY2(bytes[row.offset] == row.value, qPrintable(QString::number(row.id)));
    }
}

void PedestalDlgTest::brakesButtonTwiceSetsThenReleases() {
    auto* button = static_cast<QPushButton*>(m_Dlg->GetDlgItem(IDC_BRAKES));
    QCOMPARE(button->text(), QString("Brakes On"));
    Click(IDC_BRAKES);
    QCOMPARE(button->text(), QString("Brakes Off"));
    QCOMPARE(m_Block->brakeDemand[1], 1.0);
    Tick();
    QCOMPARE(Text(IDC_BRAKES_TEXT), QString("Brakes On"));
    Click(IDC_BRAKES);
    QCOMPARE(button->text(), QString("Brakes On"));
    QCOMPARE(m_Block->brakeDemand[0], 0.0);
    QCOMPARE(m_Block->brakeDemand[1], 0.0);
    QCOMPARE(m_Block->brakeDemand[2], 0.0);
    Tick();
    QCOMPARE(Text(IDC_BRAKES_TEXT), QString("Brakes Off"));
}

void PedestalDlgTest::speedBrakeClickWritesOnlyOnTheNextTick() {
    m_Block->speedBrakeLever = 7;
    auto untouched = Snapshot(m_Block);
    Click(IDC_SPEED_BRAKE_OUT);
    QVERIFY(SameBytes(untouched, m_Block));
    Tick();
    QCOMPARE(m_Block->speedBrakeLever, 3);
    QCOMPARE(Text(IDC_SPEED_BRAKE_TEXT), QString("Speed Brake Out"));
    QCOMPARE(Picture(IDC_SPEED_BRAKE_PICTURE), BitmapImage(138));

    untouched = Snapshot(m_Block);
    Click(IDC_SPEED_BRAKE_IN);
    QVERIFY(SameBytes(untouched, m_Block));
    Tick();
    QCOMPARE(m_Block->speedBrakeLever, 1);
    QCOMPARE(Text(IDC_SPEED_BRAKE_TEXT), QString("Speed Brake In"));
    QCOMPARE(Picture(IDC_SPEED_BRAKE_PICTURE), BitmapImage(137));
}

void PedestalDlgTest::sliderReleaseWritesAndHoldsTheSlider() {
    Tick(3); // past the start-up positioning
    QSlider* slider = Slider();
    slider->setValue(30);
    m_Block->thrustLever[1] = 5.0;
    emit slider->sliderReleased();
    QCOMPARE(m_Block->thrustLever[0], 70.0);
    QCOMPARE(m_Block->thrustLever[1], 70.0);
    QCOMPARE(m_Dlg->SliderHoldOff(), 20);

    // Another writer moves the lever; the slider waits out the hold-off.
    m_Block->thrustLever[0] = 10.75;
    for (int tick = 1; tick <= 21; ++tick) {
        Tick();
        QCOMPARE(slider->value(), 30);
    }
    Tick(); // the 22nd tick after the release
    QCOMPARE(slider->value(), 90);
    m_Block->thrustLever[0] = 40.0;
    Tick(30);
    QCOMPARE(slider->value(), 90);
    QCOMPARE(m_Dlg->SliderHoldOff(), -32);
}

void PedestalDlgTest::sliderFollowsTheBlockOnTheSecondTickAfterStart() {
    m_Block->thrustLever[0] = 25.5;
    QCOMPARE(Slider()->value(), 0);
    Tick();
    QCOMPARE(Slider()->value(), 0);
    Tick();
    QCOMPARE(Slider()->value(), 75);
    m_Block->thrustLever[0] = 90.0;
    Tick(5);
    QCOMPARE(Slider()->value(), 75);
}

// --- Status tick -----------------------------------------------------------

void PedestalDlgTest::speedBrakeIsReassertedOverAnotherWriter() {
    Tick();
    QLabel* picture = static_cast<QLabel*>(m_Dlg->GetDlgItem(IDC_SPEED_BRAKE_PICTURE));
    QPixmap sentinel(3, 3);
    sentinel.fill(Qt::red);
    picture->setPixmap(sentinel);
    m_Block->speedBrakeLever = 3;
    Tick();
    QCOMPARE(m_Block->speedBrakeLever, 1);
    QCOMPARE(Text(IDC_SPEED_BRAKE_TEXT), QString("Speed Brake In"));
    QCOMPARE(picture->pixmap().toImage(), sentinel.toImage());
}

void PedestalDlgTest::picturesAreSetOnlyWhenAStateChanges() {
    m_Block->flapLever[2] = 1;
    m_Block->thrustLever[0] = 50.0;
    m_Block->gearLeverUp = 1;
    Tick();
    const int ids[] = {IDC_FLAP_PICTURE, IDC_SPEED_BRAKE_PICTURE, IDC_GEAR_PICTURE,
                       IDC_THRUST_PICTURE};
    QPixmap sentinel(3, 3);
    sentinel.fill(Qt::green);
    for (int id : ids)
        static_cast<QLabel*>(m_Dlg->GetDlgItem(id))->setPixmap(sentinel);
    Tick(3);
    for (int id : ids)
        QCOMPARE(Picture(id), sentinel.toImage());

    m_Block->flapLever[2] = 0;
    m_Block->flapLever[4] = 1;
    m_Block->thrustLever[0] = 97.0;
    m_Block->gearLeverUp = 0;
    Click(IDC_SPEED_BRAKE_OUT);
    Tick();
    QCOMPARE(Picture(IDC_FLAP_PICTURE), BitmapImage(136));
    QCOMPARE(Picture(IDC_SPEED_BRAKE_PICTURE), BitmapImage(138));
    QCOMPARE(Picture(IDC_GEAR_PICTURE), BitmapImage(139));
    QCOMPARE(Picture(IDC_THRUST_PICTURE), BitmapImage(143));
}

void PedestalDlgTest::fiveTextsExactly_data() {
    QTest::addColumn<int>("flap");
    QTest::addColumn<bool>("gearUp");
    QTest::addColumn<double>("brake");
    QTest::addColumn<double>("thrust");
    QTest::addColumn<bool>("speedBrakeOut");
    QTest::addColumn<QStringList>("texts"); // flap, gear, speed brake, thrust, brakes
    QTest::newRow("take-off") << 1 << false << 0.0 << 98.0 << false
                              << QStringList{"Flaps 1   ", "Gear Down", "Speed Brake In", "TO/GA",
                                             "Brakes Off"};
    QTest::newRow("climb") << 0 << true << 0.0 << 79.0 << false
                           << QStringList{"Flaps Up  ", "Gear Up", "Speed Brake In", "CL",
                                          "Brakes Off"};
    QTest::newRow("landing roll") << 4 << false << 1.0 << 0.0 << true
                                  << QStringList{"Flaps Full", "Gear Down", "Speed Brake Out",
                                                 "IDLE", "Brakes On"};
    QTest::newRow("flex") << 2 << false << 0.2 << 85.0 << true
                          << QStringList{"Flaps 2   ", "Gear Down", "Speed Brake Out", "MCT/FLX",
                                         "Brakes Off"};
}

void PedestalDlgTest::fiveTextsExactly() {
    QFETCH(int, flap);
    QFETCH(bool, gearUp);
    QFETCH(double, brake);
    QFETCH(double, thrust);
    QFETCH(bool, speedBrakeOut);
    QFETCH(QStringList, texts);
    m_Block->flapLever[flap] = 1;
    m_Block->gearLeverUp = gearUp ? 1 : 0;
    m_Block->brakeDemand[0] = brake;
    m_Block->thrustLever[0] = thrust;
    if (speedBrakeOut)
        Click(IDC_SPEED_BRAKE_OUT);
    Tick();
    QCOMPARE(Text(IDC_FLAP_TEXT), texts[0]);
    QCOMPARE(Text(IDC_GEAR_TEXT), texts[1]);
    QCOMPARE(Text(IDC_SPEED_BRAKE_TEXT), texts[2]);
    QCOMPARE(Text(IDC_THRUST_TEXT), texts[3]);
    QCOMPARE(Text(IDC_BRAKES_TEXT), texts[4]);
}

void PedestalDlgTest::staticsAreEmptyUntilTheFirstTick() {
    const int ids[] = {IDC_FLAP_TEXT, IDC_GEAR_TEXT, IDC_SPEED_BRAKE_TEXT, IDC_THRUST_TEXT,
                       IDC_BRAKES_TEXT};
    for (int id : ids)
        QCOMPARE(Text(id), QString());
    QCOMPARE(m_Block->aidControlsHeartbeat, 0);
    Tick();
    for (int id : ids)
        QVERIFY(!Text(id).isEmpty());
}

void PedestalDlgTest::anyTimerIdRunsAWholeTick() {
    const int ids[] = {0, CPedestalDlg::kStatusTimerId, 12345, -1};
    int expected = 0;
    for (int id : ids) {
        m_Block->speedBrakeLever = 0;
        m_Dlg->OnTimer(id);
        QCOMPARE(m_Block->aidControlsHeartbeat, ++expected);
        QCOMPARE(m_Block->speedBrakeLever, 1);
        QCOMPARE(Text(IDC_GEAR_TEXT), QString("Gear Down"));
    }
}

void PedestalDlgTest::runningTimerTicks() {
    QVERIFY(m_Dlg->IsTimerRunning());
    QTRY_VERIFY_WITH_TIMEOUT(m_Block->aidControlsHeartbeat >= 3, 5000);
    QCOMPARE(Text(IDC_THRUST_TEXT), QString("IDLE"));
}

// --- Failure path ------------------------------------------------------------

void PedestalDlgTest::versionMismatchShowsTheErrorAndRunsOn() {
    m_Dlg.reset();
    m_Block->versionText[1] ^= 1;
    const auto untouched = Snapshot(m_Block);
    auto dlg = MakeDialog(m_Name->c_str());
    QVERIFY(dlg->OnInitDialog());
    QCOMPARE(m_Boxes, QStringList({"CPedestalDlg::SetUpSharedMemory",
                                   "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared Memory Version "
                                   "Mismatch\nPlease rebuild software"}));
    QCOMPARE(dlg->SimBlock(), nullptr);
    QVERIFY(dlg->IsTimerRunning());

    // Clicks write nothing and ticks show the dialog's own state.
    m_Dlg = std::move(dlg);
    const int buttons[] = {IDC_FLAP_UP,     IDC_FLAP_1,         IDC_FLAP_2,        IDC_FLAP_3,
                           IDC_FLAP_FULL,   IDC_SPEED_BRAKE_IN, IDC_GEAR_UP,       IDC_GEAR_DOWN,
                           IDC_BRAKES,      IDC_THRUST_TOGA,    IDC_THRUST_FLXMCT, IDC_THRUST_CL,
                           IDC_THRUST_IDLE, IDC_SPEED_BRAKE_OUT};
    for (int id : buttons)
        Click(id);
    emit Slider()->sliderReleased();
    Tick(25);
    QVERIFY(SameBytes(untouched, m_Block));
    QCOMPARE(Text(IDC_FLAP_TEXT), QString("Flaps Up  "));
    QCOMPARE(Text(IDC_GEAR_TEXT), QString("Gear Down"));
    QCOMPARE(Text(IDC_SPEED_BRAKE_TEXT), QString("Speed Brake Out"));
    QCOMPARE(Text(IDC_THRUST_TEXT), QString("IDLE"));
    QCOMPARE(Text(IDC_BRAKES_TEXT), QString("Brakes Off"));
    QCOMPARE(Picture(IDC_SPEED_BRAKE_PICTURE), BitmapImage(138));
    QCOMPARE(static_cast<QPushButton*>(m_Dlg->GetDlgItem(IDC_BRAKES))->text(),
             QString("Brakes On"));

    m_Dlg.reset();
    QVERIFY(SameBytes(untouched, m_Block));
    QCOMPARE(m_Block->userCount, 1);
}

void PedestalDlgTest::shrunkBlockIsToldWithoutStoppingTheTick() {
    QStringList notices;
    m_Dlg->SetNoticeFunction(
        [&](QWidget*, const QString& text, const QString& caption) { notices << caption << text; });
    const std::string path = "/dev/shm/" + std::string(m_Name->c_str());
    QCOMPARE(::truncate(path.c_str(), 4096), 0);
    Tick(Attachment::kTicksPerLook + 1);
    QCOMPARE(notices.size(), 2);
    QCOMPARE(notices[0], QString("CPedestalDlg::SetUpSharedMemory"));
    QVERIFY2(notices[1].contains("Shared Memory Block Too Small"), qPrintable(notices[1]));
    QCOMPARE(m_Dlg->SimBlock(), nullptr);
    QVERIFY(m_Dlg->IsTimerRunning());
    QCOMPARE(Text(IDC_BRAKES_TEXT), QString("Brakes Off"));
    QVERIFY(m_Boxes.isEmpty()); // no modal box
    // Grown back for the test's own attachment, which still maps it.
    QCOMPARE(::truncate(path.c_str(), sizeof(GenericSimBlock)), 0);
}

void PedestalDlgTest::unnamableBlockShowsTheSystemsText() {
    auto dlg = MakeDialog("no/such/block");
    dlg->OnInitDialog();
    QCOMPARE(m_Boxes.size(), 2);
    QCOMPARE(m_Boxes[0], QString("CPedestalDlg::SetUpSharedMemory"));
    QVERIFY2(m_Boxes[1].startsWith("TS_P_0001_02_Shm::TS_P_0001_02_Shm\n"), qPrintable(m_Boxes[1]));
    QVERIFY(m_Boxes[1].size() > 36);
    QVERIFY(m_Boxes[1].size() <= 99);
    QCOMPARE(dlg->SimBlock(), nullptr);
    dlg->OnTimer(0);
    QCOMPARE(static_cast<QLabel*>(dlg->GetDlgItem(IDC_THRUST_TEXT))->text(), QString("IDLE"));
}

// --- Window --------------------------------------------------------------------

void PedestalDlgTest::controlsSitAtTheirTemplateRectangles() {
    const DialogTemplate& dlg = PedestalTemplate();
    QCOMPARE(m_Dlg->windowTitle(), QString("R320 UVED Ovu Rared"));
    QCOMPARE(m_Dlg->size(), QSize(209, 562));
    QCOMPARE(m_Dlg->minimumSize(), m_Dlg->maximumSize());
    QCOMPARE(m_Dlg->TemplateControls().size(), dlg.controlCount);
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        const TemplateControl& c = dlg.controls[i];
        QWidget* widget = m_Dlg->TemplateControls()[i];
        const QString where = QString("control %1 (%2)").arg(i).arg(c.id);
        const QPoint origin(DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y));
        QSize size(DialogUnitsToPixelsX(c.w), DialogUnitsToPixelsY(c.h));
        if (KindOf(c) == ControlKind::Bitmap)
            size = m_Dlg->Bitmap(c.bitmap).size(); // a bitmap static fits its bitmap
        QVERIFY2(widget->geometry() == QRect(origin, size), qPrintable(where));
        QVERIFY2(widget->isHidden() == !IsVisible(c.style), qPrintable(where));
        QVERIFY2(widget->isEnabled() == !IsDisabled(c.style), qPrintable(where));
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), QString(c.caption));
    }
    // A few rectangles written out, so that the conversion itself is pinned.
    QCOMPARE(m_Dlg->GetDlgItem(IDC_FLAP_UP)->geometry(), QRect(108, 163, 69, 26));
    QCOMPARE(m_Dlg->GetDlgItem(IDC_GEAR_TEXT)->geometry(), QRect(3, 535, 99, 16));
    QCOMPARE(m_Dlg->GetDlgItem(IDC_FLAP_PICTURE)->geometry(), QRect(18, 182, 74, 96));
    QCOMPARE(m_Dlg->GetDlgItem(IDC_THRUST_SLIDER)->geometry(), QRect(45, 10, 33, 98));
    auto* slider = static_cast<QSlider*>(m_Dlg->GetDlgItem(IDC_THRUST_SLIDER));
    QCOMPARE(slider->orientation(), Qt::Vertical);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 100);
    QVERIFY(slider->invertedAppearance());
    QVERIFY(static_cast<QPushButton*>(m_Dlg->GetDlgItem(IDOK))->isDefault());
}

void PedestalDlgTest::bitmapsAndIconAreCompiledIn() {
    const struct {
        int id, w, h;
    } bitmaps[] = {{131, 74, 96}, {133, 75, 95},  {134, 73, 96},  {135, 75, 97}, {136, 76, 97},
                   {137, 60, 97}, {138, 60, 98},  {139, 57, 100}, {140, 56, 99}, {141, 48, 100},
                   {142, 48, 99}, {143, 48, 100}, {144, 49, 101}};
    for (const auto& b : bitmaps)
        QCOMPARE(m_Dlg->Bitmap(b.id).size(), QSize(b.w, b.h));
    QVERIFY(m_Dlg->Bitmap(132).isNull());
    const QIcon icon = m_Dlg->OnQueryDragIcon();
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
    QVERIFY(!m_Dlg->windowIcon().isNull());
}

void PedestalDlgTest::closeBoxEndsWithOkAndDetaches() {
    m_Dlg->show();
    QVERIFY(m_Dlg->isVisible());
    QVERIFY(m_Dlg->close());
    QCOMPARE(m_Dlg->result(), int(QDialog::Accepted));
    QVERIFY(!m_Dlg->IsTimerRunning());
    QCOMPARE(m_Dlg->SimBlock(), nullptr);
    QCOMPARE(m_Block->userCount, 1);
    const std::int32_t heartbeat = m_Block->aidControlsHeartbeat;
    Tick();
    QCOMPARE(m_Block->aidControlsHeartbeat, heartbeat);
}

void PedestalDlgTest::okEndsTheModalRun() {
    m_Dlg.reset();
    CPedestalDlg dlg(nullptr, m_Name->c_str());
    QTimer::singleShot(200, &dlg, [&] {
        QCOMPARE(m_Block->userCount, 2);
        QVERIFY(m_Block->aidControlsHeartbeat > 0);
        dlg.close();
    });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(m_Block->userCount, 1);
}

void PedestalDlgTest::terminationSignalClosesTheWindow_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("foreignLayout");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGTERM during the error box") << int(SIGTERM) << true;
}

void PedestalDlgTest::terminationSignalClosesTheWindow() {
    QFETCH(int, signal);
    QFETCH(bool, foreignLayout);
    m_Dlg.reset();
    QCOMPARE(m_Block->userCount, 1);
    if (foreignLayout)
        m_Block->versionText[0] ^= 1;
    const auto before = Snapshot(m_Block);
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(environment);
    window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    window.start(PEDESTAL_TEST_WINDOW, {m_Name->c_str()});
    QVERIFY(window.waitForStarted());
    if (foreignLayout) {
        QByteArray output;
        while (!output.contains("CPedestalDlg::SetUpSharedMemory\n") &&
               window.waitForReadyRead(15000))
            output += window.readAllStandardOutput();
        QCOMPARE(output, QByteArray("CPedestalDlg::SetUpSharedMemory\n"));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(m_Block->aidControlsHeartbeat > 2, 15000);
        QCOMPARE(m_Block->userCount, 2);
    }
    QCOMPARE(::kill(static_cast<pid_t>(window.processId()), signal), 0);
    QVERIFY(window.waitForFinished(15000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);
    QCOMPARE(m_Block->userCount, 1);
    if (foreignLayout)
        QVERIFY(SameBytes(before, m_Block));
}

QTEST_MAIN(PedestalDlgTest)
#include "PedestalDlg_test.moc"
