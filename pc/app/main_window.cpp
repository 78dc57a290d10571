#include "pc/app/main_window.h"

#include "pc/service/listen_ports.h"

#include <fstream>
#include <system_error>

namespace pc::app {

namespace {

constexpr std::string_view kTitle = "Quillon";
constexpr std::string_view kAboutText = "Quillon\nPDA로 PC를 사용하는 서버 프로그램입니다.";

bool hasTxtExtension(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    if (extension.size() != 4)
        return false;
    std::string lower;
    for (char c : extension)
        lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return lower == ".txt";
}

void createFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // The mail boxes and saved logs are the user's own.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
}

struct CommandEntry {
    int id;
    void (MainWindow::*run)();
};

} // namespace

const char* const kLoginTip = "Tip)\n1.메뉴의 \"연결-서버시작\"을 선택하면, PDA를 이용한 Quillon기능을 이용할 수 있습니다.\n"
                              "2.PC의 IP주소를 확인한 후 PDA프로그램의 환경설정 - Connections탭 - PC IP를 설정해주십시오.\n"
                              "3.PDA로 PC에 연결하려면, PC에서 설정한 아이디 및 비밀번호를 입력해야 합니다.\n";

ServerState serverStateFor(bool running)
{
    ServerState state;
    state.running = running;
    state.title = running ? "Quillon - 서버구동" : "Quillon - 서버중지";
    state.trayTip = state.title;
    state.status = running ? "서버구동" : "서버중지";
    state.startEnabled = !running;
    state.stopEnabled = running;
    return state;
}

MainWindow::MainWindow(PcShell& shell, platform::EventLoop& loop, MainWindowPorts ports,
    std::filesystem::path programFolder)
    : m_shell(shell)
    , m_loop(loop)
    , m_ports(std::move(ports))
    , m_programFolder(std::move(programFolder))
    , m_state(serverStateFor(false))
{
}

MainWindow::~MainWindow()
{
    m_loop.killTimer(*this, kStartupTimer);
    m_loop.killTimer(*this, kDateTimer);
}

void MainWindow::open(bool withStartupTimer)
{
    createFolder(mailBoxes());
    createFolder(logFolder());
    showState();
    m_ports.view->setDateLabel(dateLabel());
    m_loop.setTimer(*this, kDateTimer, kDateRefreshMs);
    if (withStartupTimer)
        m_loop.setTimer(*this, kStartupTimer, kStartupDelayMs);
}

std::string MainWindow::dateLabel() const
{
    auto today = platform::toLocalTime(m_loop.clock().now());
    return std::to_string(today.year) + "년 " + std::to_string(today.month) + "월 " + std::to_string(today.day) + "일";
}

void MainWindow::onTimer(int id)
{
    if (id == kDateTimer) {
        m_ports.view->setDateLabel(dateLabel());
    } else if (id == kStartupTimer) {
        // The timer runs once.
        m_loop.killTimer(*this, kStartupTimer);
        runStartup(m_startNow);
    }
}

StartupOutcome MainWindow::runStartup(bool startNow)
{
    if (m_ports.checkForUpdate && m_ports.checkForUpdate() == UpdateOutcome::UpdateChosen) {
        closeNow();
        return StartupOutcome::UpdateChosen;
    }
    LoginDialog& login = m_shell.loginDialog();
    if (!m_ports.dialogs->runLogin(login) || !login.credentials()) {
        closeNow();
        return StartupOutcome::LoginCancelled;
    }
    m_shell.onLoggedIn(*login.credentials());
    std::string tip = kLoginTip;
    m_ports.log->append(m_ports.log->hasText() ? "\n" + tip : tip, LogSink::kStamped);
    if (startNow || m_shell.userSettings().startServerAfterLogin) {
        if (!startServer())
            return StartupOutcome::ServerFailed;
    }
    return StartupOutcome::Ready;
}

bool MainWindow::onCommand(int id)
{
    static const CommandEntry kCommands[] = {
        { command::kStartServer, &MainWindow::startServerCommand },
        { command::kTrayStartServer, &MainWindow::startServerCommand },
        { command::kStopServer, &MainWindow::stopServer },
        { command::kTrayStopServer, &MainWindow::stopServer },
        { command::kSettings, &MainWindow::openSettings },
        { command::kTraySettings, &MainWindow::openSettings },
        { command::kViewLog, &MainWindow::viewLog },
        { command::kSaveLog, &MainWindow::saveLog },
        { command::kClearLog, &MainWindow::clearLog },
        { command::kShowAddress, &MainWindow::showAddress },
        { command::kDateTime, &MainWindow::openDateTime },
        { command::kAbout, &MainWindow::showAbout },
        { command::kTrayActivate, &MainWindow::activate },
        { command::kExit, &MainWindow::closeCommand },
        { command::kTrayExit, &MainWindow::closeCommand },
    };
    for (const auto& entry : kCommands) {
        if (entry.id == id) {
            (this->*entry.run)();
            return true;
        }
    }
    return false;
}

void MainWindow::showState()
{
    m_state = serverStateFor(m_shell.isServerRunning());
    m_ports.view->showServerState(m_state);
}

bool MainWindow::startServer()
{
    bool started = m_shell.startServer();
    showState();
    return started;
}

void MainWindow::stopServer()
{
    m_shell.stopServer();
    showState();
}

void MainWindow::viewLog()
{
    if (auto chosen = m_ports.dialogs->chooseLogToView(logFolder()))
        viewLogFile(*chosen);
}

void MainWindow::viewLogFile(const std::filesystem::path& file)
{
    if (!hasTxtExtension(file)) {
        m_ports.ui->messageBox(kTitle, "TXT 형식의 문서만 볼 수 있습니다.", platform::Icon::Warning);
        return;
    }
    if (!m_ports.launcher->openFile(inLogFolder(file)))
        m_ports.ui->messageBox(kTitle,
            "로그 파일을 열 수 없습니다: 이 데스크톱에는 텍스트 파일을 열 프로그램(xdg-open)이 없습니다.\n"
                + inLogFolder(file).string(),
            platform::Icon::Warning);
}

void MainWindow::saveLog()
{
    if (auto chosen = m_ports.dialogs->chooseLogToSave(logFolder()))
        saveLogTo(*chosen);
}

bool MainWindow::saveLogTo(std::filesystem::path file)
{
    file = inLogFolder(file);
    if (!hasTxtExtension(file))
        file += ".txt";
    std::string text = m_ports.log->text();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    bool saved = out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush();
    if (!saved) {
        m_ports.ui->messageBox(kTitle, "로그 데이터를 저장하는데 실패하였습니다. 다시 시도해주십시오.",
            platform::Icon::Warning);
        return false;
    }
    m_ports.ui->messageBox(kTitle, "로그 데이터를 저장하였습니다.", platform::Icon::Information);
    return true;
}

void MainWindow::clearLog()
{
    // Cancel is the default, so that Enter or Escape keeps the log.
    if (m_ports.ui->question(kTitle, "접속 로그를 지웁니다.", platform::Buttons::OkCancel, platform::Icon::Warning,
            platform::Answer::Cancel)
        != platform::Answer::Ok)
        return;
    m_ports.log->clear();
}

void MainWindow::showAddress()
{
    std::string address = m_ports.lookUpAddress ? m_ports.lookUpAddress() : std::string();
    if (address.empty()) {
        m_ports.ui->messageBox(kTitle, "IP 정보를 알수가 없습니다. 인터넷 사용이 가능한지 체크해 주십시오.",
            platform::Icon::Warning);
        return;
    }
    if (!m_shell.isServerRunning()) {
        m_ports.ui->messageBox(kTitle,
            "IP : " + address + "\n서버가 중지되어 있어 PDA가 접근할 수 없습니다. 메뉴의 \"연결-서버시작\"으로 서버를 시작하십시오.\n"
                + "서버를 시작하면 사용할 포트: " + service::describePorts(m_shell.listenPorts()),
            platform::Icon::Warning);
        return;
    }
    m_ports.ui->messageBox(kTitle,
        "IP : " + address + "\nPDA접근이 가능한 상태입니다.\n포트: " + service::describePorts(m_shell.boundPorts()),
        platform::Icon::None);
}

void MainWindow::openDateTime()
{
    if (!m_ports.launcher->openDateTimeSettings())
        m_ports.ui->messageBox(kTitle,
            "날짜와 시간 설정을 열 수 없습니다: 이 데스크톱에서 날짜와 시간 설정 프로그램을 찾지 못했습니다.",
            platform::Icon::Warning);
}

void MainWindow::onDateLabelClicked()
{
    openDateTime();
}

void MainWindow::openSettings()
{
    auto dialog = m_shell.openSettingsDialog();
    if (m_ports.dialogs->runSettings(*dialog))
        m_shell.applySettings(*dialog);
}

void MainWindow::showAbout()
{
    // The fingerprint lets the user compare what a handheld shows when it
    // pairs with this PC.
    m_ports.ui->messageBox(kTitle, std::string(kAboutText) + "\n\n보안 연결 인증서 지문(SHA-256):\n" + m_shell.fingerprint(),
        platform::Icon::Information);
}

void MainWindow::activate()
{
    m_ports.view->showWindow();
}

void MainWindow::onTrayDoubleClick()
{
    activate();
}

void MainWindow::onHideKey()
{
    m_ports.view->hideWindow();
}

bool MainWindow::requestClose()
{
    if (m_closed)
        return true;
    if (m_ports.ui->question(kTitle, "종료하시겠습니까?", platform::Buttons::OkCancel) != platform::Answer::Ok)
        return false;
    closeNow();
    return true;
}

void MainWindow::closeNow()
{
    if (m_closed)
        return;
    m_closed = true;
    m_shell.stopServer();
    m_loop.killTimer(*this, kDateTimer);
    m_loop.killTimer(*this, kStartupTimer);
    m_ports.view->closeWindow();
}

std::filesystem::path MainWindow::inLogFolder(const std::filesystem::path& name) const
{
    return name.is_absolute() ? name : logFolder() / name;
}

} // namespace pc::app
