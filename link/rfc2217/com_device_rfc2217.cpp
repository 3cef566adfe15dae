// The line backend for a serial port on a network device server, over libgensio's Telnet stack with
// its RFC 2217 option ("telnet(rfc2217),tcp,HOST,PORT"): the server owns the UART, the tool asks it
// for rate, data bits, parity and stop bits, and the bytes travel in the Telnet stream. An rfc2217s://
// port puts TLS under the Telnet stream ("telnet(rfc2217),ssl(...),tcp,HOST,PORT"): the layers open
// from the bottom up and the Telnet layer starts only after the server's certificate has passed every
// check, so that an untrusted server is sent nothing but the TLS handshake.
//
// Each open port has an event loop of its own, run only by the thread that uses the port, so that
// ports used by different threads at the same time share nothing and need no wake-up signal.

#include <gensio/gensio.h>
#include <gensio/gensio_os_funcs_public.h>
#include <gensio/gensio_unix.h>
#include <gensio/sergensio.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdarg>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/com_device.h"
#include "link/network_port_name.h"
#include "link/port_security.h"
#include "link/rfc2217/rfc2217_settings.h"
#include "link/rfc2217/tls_certificates.h"
#include "link/rfc2217/tls_files.h"

namespace torv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Connecting, the Telnet negotiation and the server's first answer together; a server on the plant
// network answers within milliseconds, a dead address would otherwise hold the open for minutes.
constexpr milliseconds kConnectTimeout{2000};
// The server answers a settings request as soon as it has applied it.
constexpr milliseconds kSettingsAnswerTimeout{1000};
// Bytes received but not yet asked for; replies are at most a few hundred bytes.
constexpr std::size_t kReceiveLimit = 4096;
// After a TLS stack is freed, the event loop runs until it has nothing left to do for this long, at
// most this many times.
constexpr milliseconds kFreeingMoment{5};
constexpr int kFreeingRounds = 20;
// A server's certificate chain in PEM: a few kilobytes.
constexpr std::size_t kCertificateChainLimit = 65536;
// At most this much of what a refusing server says is quoted.
constexpr std::size_t kQuotedReplyChars = 80;
// A change of settings waits this many characters beyond the bytes' own line time (see drainOutput).
constexpr int kDrainMarginCharacters = 2;

static_assert(static_cast<unsigned>(Rfc2217Parity::kSpace) == SERGENSIO_PARITY_SPACE);
static_assert(static_cast<unsigned>(Rfc2217FlowControl::kHardware) == SERGENSIO_FLOWCONTROL_RTS_CTS);

enum LineSetting { kBaudSetting, kDataBitsSetting, kParitySetting, kStopBitsSetting, kLineSettingCount };

gensio_time GensioTime(Clock::duration duration) {
    const auto nanoseconds = std::max(std::chrono::nanoseconds::zero(), duration);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(nanoseconds);
    return {seconds.count(), static_cast<std::int32_t>((nanoseconds - seconds).count())};
}

// Failures reach the caller as result codes; the library's own log lines would only clutter stderr.
void DiscardLog(gensio_os_funcs*, gensio_log_levels, const char*, va_list) {}

// A write to a connection the server has just dropped raises SIGPIPE, which would end the whole
// program. While a thread has network ports open the signal stays blocked there; one left pending by
// a broken connection is dropped when the thread's last port closes.
class BrokenPipeSignalBlock {
  public:
    BrokenPipeSignalBlock() {
        if (t_openPorts++ == 0) {
            sigset_t previous;
            pthread_sigmask(SIG_BLOCK, &PipeSignal(), &previous);
            t_wasBlocked = sigismember(&previous, SIGPIPE) == 1;
        }
    }
    ~BrokenPipeSignalBlock() {
        if (--t_openPorts == 0 && !t_wasBlocked) {
            const timespec noWait{};
            while (sigtimedwait(&PipeSignal(), nullptr, &noWait) == SIGPIPE) {
            }
            pthread_sigmask(SIG_UNBLOCK, &PipeSignal(), nullptr);
        }
    }
    BrokenPipeSignalBlock(const BrokenPipeSignalBlock&) = delete;
    BrokenPipeSignalBlock& operator=(const BrokenPipeSignalBlock&) = delete;

  private:
    static const sigset_t& PipeSignal() {
        static const sigset_t set = [] {
            sigset_t s;
            sigemptyset(&s);
            sigaddset(&s, SIGPIPE);
            return s;
        }();
        return set;
    }
    static thread_local int t_openPorts;
    static thread_local bool t_wasBlocked;
};
thread_local int BrokenPipeSignalBlock::t_openPorts = 0;
thread_local bool BrokenPipeSignalBlock::t_wasBlocked = false;

class Rfc2217ComDevice final : public ComDevice {
  public:
    Rfc2217ComDevice() = default;
    ~Rfc2217ComDevice() override { release(); }
    Rfc2217ComDevice(const Rfc2217ComDevice&) = delete;
    Rfc2217ComDevice& operator=(const Rfc2217ComDevice&) = delete;

    // Connects and checks that the server speaks RFC 2217 for this port; false, with the reason set
    // for the user (SetComOpenFailure), when it does not.
    bool connect(const std::string& name, const NetworkPortAddress& address);

    void setupQueues(int, int) override {}  // the server sizes its own buffers
    bool getState(DeviceControl& control) override {
        control = m_control;
        return true;
    }
    bool setState(const DeviceControl& control) override;
    bool drainOutput() override;
    int readSome(std::uint8_t* buffer, int count, int waitMs) override;
    int writeSome(const std::uint8_t* buffer, int count, int waitMs) override;
    void purgeInput() override;
    bool close() override {
        release();
        return true;
    }

  private:
    // The answer to one settings request: the value the server applied.
    struct Answer {
        Rfc2217ComDevice* device = nullptr;
        unsigned value = 0;
        bool arrived = false;
    };

    static int OnEvent(gensio* io, void* data, int event, int err, unsigned char* bytes, gensiods* count,
                       const char* const* auxdata);
    static void OnOpened(gensio* io, int err, void* data);
    static void OnAnswer(sergensio* serial, int err, unsigned value, void* data);

    int onReceived(int err, const unsigned char* bytes, gensiods* count);
    void wake() { gensio_os_funcs_wake(m_os, m_waiter); }
    // Runs the event loop until something happens or the deadline passes; false at the deadline.
    bool waitUntil(Clock::time_point deadline);
    bool waitForAnswers(int answers, Clock::time_point deadline);
    bool openPlain(const std::string& name, const NetworkPortAddress& address, Clock::time_point deadline);
    bool openSecured(const std::string& name, const NetworkPortAddress& address, Clock::time_point deadline);
    int onServerCertificate(int err, const char* const* auxdata);
    // Opens m_io (its lower layers too, or only itself) and waits for the outcome until the deadline.
    bool openAndWait(bool withChildren, Clock::time_point deadline);
    std::string tlsFailureReason(const TlsFiles& files) const;
    bool requestLineSettings(const Rfc2217LineSettings& settings);
    void requestControlSettings(const Rfc2217ControlSettings& settings);
    int takeReceived(std::uint8_t* buffer, int count);
    void serviceWithoutWaiting();
    std::string openFailureReason() const;
    std::string refusalReason() const;
    void release();

    BrokenPipeSignalBlock m_pipeSignalBlock;
    gensio_os_funcs* m_os = nullptr;
    gensio_waiter* m_waiter = nullptr;
    gensio* m_io = nullptr;
    sergensio* m_serial = nullptr;
    bool m_opening = false;
    int m_openError = 0;
    // rfc2217s://: the files, the host the certificate must name, and what became of the certificate.
    std::optional<TlsFiles> m_tlsFiles;
    gensio* m_tlsLayer = nullptr;  // under the Telnet layer, freed with it
    std::string m_host;
    int m_certificateError = 0;        // the TLS library refused the certificate: why, as a code
    std::string m_certificateProblem;  // and in its words
    std::string m_serverRefusal;       // our own reason for refusing it
    std::string m_serverCommonName;
    bool m_connectionLost = false;

    std::vector<std::uint8_t> m_received;  // from m_receivedStart on, not yet asked for
    std::size_t m_receivedStart = 0;
    bool m_receivingPaused = false;

    std::array<Answer, kLineSettingCount> m_answers{};
    int m_answerCount = 0;  // every answer so far, whichever request the library matched it to
    Rfc2217ControlSettings m_serverControl = kServerControlAtOpen;

    DeviceControl m_control;
    Clock::time_point m_outputLeavesAt{};  // when the last byte written has left the server's UART
};

int Rfc2217ComDevice::OnEvent(gensio*, void* data, int event, int err, unsigned char* bytes, gensiods* count,
                              const char* const* auxdata) {
    auto* device = static_cast<Rfc2217ComDevice*>(data);
    switch (event) {
        case GENSIO_EVENT_READ:
            return device->onReceived(err, bytes, count);
        case GENSIO_EVENT_WRITE_READY:
            device->wake();
            return 0;
        case GENSIO_EVENT_POSTCERT_VERIFY:
            return device->onServerCertificate(err, auxdata);
        default:
            return GE_NOTSUP;  // modem and line state reports: the sensor's protocol has no use for them
    }
}

void Rfc2217ComDevice::OnOpened(gensio*, int err, void* data) {
    auto* device = static_cast<Rfc2217ComDevice*>(data);
    device->m_opening = false;
    device->m_openError = err;
    device->wake();
}

void Rfc2217ComDevice::OnAnswer(sergensio*, int err, unsigned value, void* data) {
    auto* answer = static_cast<Answer*>(data);
    if (err == 0) {
        answer->value = value;
        answer->arrived = true;
        ++answer->device->m_answerCount;
    }
    answer->device->wake();
}

int Rfc2217ComDevice::onReceived(int err, const unsigned char* bytes, gensiods* count) {
    if (err != 0) {  // the server closed the connection, or it broke
        m_connectionLost = true;
        gensio_set_read_callback_enable(m_io, false);
        wake();
        return 0;
    }
    const std::size_t room = kReceiveLimit - (m_received.size() - m_receivedStart);
    const std::size_t taken = std::min(static_cast<std::size_t>(*count), room);
    m_received.insert(m_received.end(), bytes, bytes + taken);
    // The sensor answers only what it has received: everything written before has left the UART.
    m_outputLeavesAt = std::min(m_outputLeavesAt, Clock::now());
    if (taken < *count) {  // the rest stays with the library until there is room again
        m_receivingPaused = true;
        gensio_set_read_callback_enable(m_io, false);
    }
    *count = taken;
    wake();
    return 0;
}

bool Rfc2217ComDevice::waitUntil(Clock::time_point deadline) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
        return false;
    }
    gensio_time timeout = GensioTime(deadline - now);
    // A signal does not end the wait early: the library goes on waiting for the time that remains.
    return gensio_os_funcs_wait(m_os, m_waiter, 1, &timeout) == 0 || Clock::now() < deadline;
}

bool Rfc2217ComDevice::waitForAnswers(int answers, Clock::time_point deadline) {
    while (m_answerCount < answers) {
        if (m_connectionLost || !waitUntil(deadline)) {
            return false;
        }
    }
    return true;
}

bool Rfc2217ComDevice::connect(const std::string& name, const NetworkPortAddress& address) {
    if (gensio_unix_funcs_alloc(nullptr, 0, &m_os) != 0 ||
        (m_waiter = gensio_os_funcs_alloc_waiter(m_os)) == nullptr) {
        SetComOpenFailure(name + ": the network library could not start (out of memory).");
        return false;
    }
    gensio_os_funcs_set_vlog(m_os, DiscardLog);
    for (Answer& answer : m_answers) {
        answer.device = this;
    }
    const Clock::time_point deadline = Clock::now() + kConnectTimeout;
    if (!(address.tls ? openSecured(name, address, deadline) : openPlain(name, address, deadline))) {
        return false;
    }
    if ((m_serial = gensio_to_sergensio(m_io)) == nullptr) {
        SetComOpenFailure(name + ": " + openFailureReason());
        return false;
    }
    gensio_set_read_callback_enable(m_io, true);
    // A server that answers for the rate speaks RFC 2217 and has given us the port; one that serves it
    // to someone else says so in plain text and hangs up.
    const int answered = m_answerCount + 1;
    if (sergensio_baud(m_serial, 0, OnAnswer, &m_answers[kBaudSetting]) != 0 ||
        !waitForAnswers(answered, deadline)) {
        SetComOpenFailure(name + ": " + refusalReason());
        return false;
    }
    m_control.baudRate = m_answers[kBaudSetting].value;
    return true;
}

bool Rfc2217ComDevice::openAndWait(bool withChildren, Clock::time_point deadline) {
    m_openError = 0;
    m_opening =
        (withChildren ? gensio_open(m_io, OnOpened, this) : gensio_open_nochild(m_io, OnOpened, this)) == 0;
    while (m_opening && waitUntil(deadline)) {
    }
    return !m_opening && m_openError == 0;
}

bool Rfc2217ComDevice::openPlain(const std::string& name, const NetworkPortAddress& address,
                                 Clock::time_point deadline) {
    const std::string stack =
        "telnet(rfc2217),tcp(nodelay)," + address.host + "," + std::to_string(address.port);
    if (const int err = str_to_gensio(stack.c_str(), m_os, OnEvent, this, &m_io); err != 0) {
        SetComOpenFailure(name + ": " + gensio_err_to_str(err) + ".");
        return false;
    }
    if (!openAndWait(true, deadline)) {
        SetComOpenFailure(name + ": " + openFailureReason());
        return false;
    }
    return true;
}

// The layers are made one by one, so that the files' paths reach the library as separate arguments,
// never through its connection-string parser.
bool Rfc2217ComDevice::openSecured(const std::string& name, const NetworkPortAddress& address,
                                   Clock::time_point deadline) {
    std::string failure;
    m_tlsFiles = FindTlsFiles(failure);
    if (!m_tlsFiles) {
        SetComOpenFailure(name + ": " + failure + ".");
        return false;
    }
    m_host = address.host;
    gensio* tcp = nullptr;
    const std::string stack = "tcp(nodelay)," + address.host + "," + std::to_string(address.port);
    if (const int err = str_to_gensio(stack.c_str(), m_os, OnEvent, this, &tcp); err != 0) {
        SetComOpenFailure(name + ": " + gensio_err_to_str(err) + ".");
        return false;
    }
    std::vector<std::string> options{"CA=" + m_tlsFiles->ca};
    if (!m_tlsFiles->certificate.empty()) {
        options.push_back("cert=" + m_tlsFiles->certificate);
        options.push_back("key=" + m_tlsFiles->key);
    }
    std::vector<const char*> arguments;
    arguments.reserve(options.size() + 1);
    for (const std::string& option : options) {
        arguments.push_back(option.c_str());
    }
    arguments.push_back(nullptr);
    gensio*& tls = m_tlsLayer;
    if (const int err = gensio_filter_alloc("ssl", tcp, arguments.data(), m_os, OnEvent, this, &tls);
        err != 0) {
        gensio_free(tcp);
        SetComOpenFailure(name + ": TLS could not start (" + std::string(gensio_err_to_str(err)) + ").");
        return false;
    }
    const std::array<const char*, 2> telnetArguments{"rfc2217", nullptr};
    if (const int err =
            gensio_filter_alloc("telnet", tls, telnetArguments.data(), m_os, OnEvent, this, &m_io);
        err != 0) {
        gensio_free(tls);
        tls = nullptr;
        SetComOpenFailure(name + ": " + gensio_err_to_str(err) + ".");
        return false;
    }
    if (!openAndWait(true, deadline)) {
        SetComOpenFailure(name + ": " + tlsFailureReason(*m_tlsFiles));
        return false;
    }
    NoteServerCommonName(name, m_serverCommonName);
    return true;
}

// The library has verified the chain to ca.pem (err 0) or not; the name and the revocation list are
// ours to check. Returns what the library takes as the verdict: 0 to go on, an error to refuse, or
// GE_NOTSUP for its own verdict.
int Rfc2217ComDevice::onServerCertificate(int err, const char* const* auxdata) {
    if (err != 0) {
        m_certificateError = err;
        m_certificateProblem = auxdata != nullptr && auxdata[0] != nullptr ? auxdata[0] : "";
        return GE_NOTSUP;
    }
    std::string pem(kCertificateChainLimit, '\0');
    gensiods length = pem.size();
    if (!m_tlsFiles || m_tlsLayer == nullptr ||
        gensio_control(m_tlsLayer, 0, GENSIO_CONTROL_GET, GENSIO_CONTROL_CERT, pem.data(), &length) != 0) {
        m_serverRefusal = "the server showed no certificate";
        return GE_NOCERT;
    }
    pem.resize(std::min<std::size_t>(length, pem.size()));
    const ServerCertificateCheck check = CheckServerCertificate(pem, m_host, *m_tlsFiles);
    if (!check.problem.empty()) {
        m_serverRefusal = check.problem;
        return GE_CERTINVALID;
    }
    m_serverCommonName = check.commonName;
    return GE_NOTSUP;  // the library's own verdict: the chain is good
}

std::string Rfc2217ComDevice::tlsFailureReason(const TlsFiles& files) const {
    if (!m_serverRefusal.empty()) {
        return "refused, " + m_serverRefusal + ".";
    }
    const std::string said = m_certificateProblem.empty() ? "" : " (" + m_certificateProblem + ")";
    switch (m_certificateError) {
        case 0:
            break;
        case GE_CERTNOTFOUND:
            return "refused, the server's certificate is not signed by the CA in " + files.ca + said + ".";
        case GE_CERTEXPIRED:
            return "refused, the server's certificate has expired" + said + ".";
        case GE_CERTREVOKED:
            return "refused, the server's certificate is revoked" + said + ".";
        default:
            return "refused, the server's certificate is not valid" + said + ".";
    }
    if (m_openError == GE_REMCLOSE || m_openError == GE_COMMERR || m_openError == GE_PROTOERR) {
        return files.certificate.empty()
                   ? "the server ended the TLS session: it may ask for a client certificate, and " +
                         files.folder + " has no cert.pem and key.pem."
                   : "the server ended the TLS session: it may not accept this PC's certificate " +
                         files.certificate + ", or it does not speak TLS on this port.";
    }
    return openFailureReason();
}

std::string Rfc2217ComDevice::openFailureReason() const {
    const std::string hint =
        "; is the port set up for RFC 2217 (ser2net: accepter: telnet(rfc2217),tcp,PORT)?";
    if (m_opening) {
        return "no RFC 2217 session came up within " + std::to_string(kConnectTimeout.count()) +
               " ms: the server is unreachable or hung" + hint;
    }
    if (m_openError == GE_CONNREFUSE) {
        return "nothing takes connections there (connection refused).";
    }
    if (m_openError == GE_REMCLOSE) {
        return "the server hung up at once: another client may have the port, or it is not set up for RFC "
               "2217 "
               "(ser2net: accepter: telnet(rfc2217),tcp,PORT).";
    }
    return std::string("the connection failed (") + gensio_err_to_str(m_openError) + ")" + hint;
}

// Why a connected server did not give us the port, from what it sent before it hung up.
std::string Rfc2217ComDevice::refusalReason() const {
    std::string said;
    for (std::size_t i = m_receivedStart; i < m_received.size() && said.size() < kQuotedReplyChars; ++i) {
        const char c = static_cast<char>(m_received[i]);
        if (c >= ' ' && c <= '~') {
            said += c;
        }
    }
    if (m_connectionLost) {
        return said.empty() ? "the server hung up at once; another client may have the port."
                            : "the server hung up, saying \"" + said + "\".";
    }
    return "the server did not answer RFC 2217 requests within " + std::to_string(kConnectTimeout.count()) +
           " ms.";
}

bool Rfc2217ComDevice::requestLineSettings(const Rfc2217LineSettings& settings) {
    for (Answer& answer : m_answers) {
        answer.arrived = false;
    }
    return sergensio_baud(m_serial, settings.baudRate, OnAnswer, &m_answers[kBaudSetting]) == 0 &&
           sergensio_datasize(m_serial, settings.dataBits, OnAnswer, &m_answers[kDataBitsSetting]) == 0 &&
           sergensio_parity(m_serial, static_cast<unsigned>(settings.parity), OnAnswer,
                            &m_answers[kParitySetting]) == 0 &&
           sergensio_stopbits(m_serial, static_cast<unsigned>(settings.stopBits), OnAnswer,
                              &m_answers[kStopBitsSetting]) == 0;
}

// Best effort, as on a terminal without modem lines: only what differs from what the server holds is
// asked for, after the line settings, and never waited for. A server whose port has no modem lines
// may leave these unanswered, and the library would then hand later answers to the wrong request;
// that is why answers are counted, not matched, above.
void Rfc2217ComDevice::requestControlSettings(const Rfc2217ControlSettings& settings) {
    if (settings.flowControl != m_serverControl.flowControl) {
        sergensio_flowcontrol(m_serial, static_cast<unsigned>(settings.flowControl), nullptr, nullptr);
    }
    if (settings.dtrOn != m_serverControl.dtrOn) {
        sergensio_dtr(m_serial, settings.dtrOn ? SERGENSIO_DTR_ON : SERGENSIO_DTR_OFF, nullptr, nullptr);
    }
    if (settings.rtsOn != m_serverControl.rtsOn) {
        sergensio_rts(m_serial, settings.rtsOn ? SERGENSIO_RTS_ON : SERGENSIO_RTS_OFF, nullptr, nullptr);
    }
    m_serverControl = settings;
}

bool Rfc2217ComDevice::setState(const DeviceControl& control) {
    const std::optional<Rfc2217Settings> settings = Rfc2217SettingsFor(control);
    if (!settings || m_connectionLost) {
        return false;
    }
    const int answered = m_answerCount + kLineSettingCount;
    if (!requestLineSettings(settings->line)) {
        return false;
    }
    requestControlSettings(settings->control);
    if (!waitForAnswers(answered, Clock::now() + kSettingsAnswerTimeout)) {
        return false;
    }
    // The server answers with what it applied: a value it cannot do comes back changed.
    const std::array<unsigned, kLineSettingCount> asked{settings->line.baudRate, settings->line.dataBits,
                                                        static_cast<unsigned>(settings->line.parity),
                                                        static_cast<unsigned>(settings->line.stopBits)};
    for (int i = 0; i < kLineSettingCount; ++i) {
        if (m_answers[static_cast<std::size_t>(i)].arrived &&
            m_answers[static_cast<std::size_t>(i)].value != asked[static_cast<std::size_t>(i)]) {
            return false;
        }
    }
    m_control = control;
    return true;
}

// RFC 2217 has no drain: the server changes its UART's settings the moment the request arrives,
// which is right behind the bytes written before it. So the request waits until those bytes have
// had the time to leave the server's UART at the old settings.
bool Rfc2217ComDevice::drainOutput() {
    const auto margin = std::chrono::duration<double>(static_cast<double>(kDrainMarginCharacters) *
                                                      BitsPerCharacter(m_control) / m_control.baudRate);
    std::this_thread::sleep_until(m_outputLeavesAt + std::chrono::duration_cast<Clock::duration>(margin));
    return !m_connectionLost;
}

int Rfc2217ComDevice::takeReceived(std::uint8_t* buffer, int count) {
    const std::size_t taken = std::min(static_cast<std::size_t>(count), m_received.size() - m_receivedStart);
    std::copy_n(m_received.begin() + static_cast<std::ptrdiff_t>(m_receivedStart), taken, buffer);
    m_receivedStart += taken;
    if (m_receivedStart == m_received.size()) {
        m_received.clear();
        m_receivedStart = 0;
    }
    if (m_receivingPaused && m_received.size() - m_receivedStart < kReceiveLimit) {
        m_receivingPaused = false;
        gensio_set_read_callback_enable(m_io, true);
    }
    return static_cast<int>(taken);
}

Clock::time_point SteadyDeadlineAfter(int waitMs) {
    return waitMs < 0 ? Clock::time_point::max() : Clock::now() + milliseconds(waitMs);
}

// Without a wait, with what the library has already received.
int Rfc2217ComDevice::readSome(std::uint8_t* buffer, int count, int waitMs) {
    if (waitMs == 0) {
        serviceWithoutWaiting();
        return takeReceived(buffer, count);
    }
    const Clock::time_point deadline = SteadyDeadlineAfter(waitMs);
    int taken = takeReceived(buffer, count);
    while (taken == 0 && !m_connectionLost && waitUntil(deadline)) {
        taken = takeReceived(buffer, count);
    }
    return taken;
}

int Rfc2217ComDevice::writeSome(const std::uint8_t* buffer, int count, int waitMs) {
    const Clock::time_point deadline = SteadyDeadlineAfter(waitMs);
    gensiods accepted = 0;
    while (accepted == 0 && !m_connectionLost) {
        if (gensio_write(m_io, &accepted, buffer, static_cast<gensiods>(count), nullptr) != 0) {
            m_connectionLost = true;
            return 0;
        }
        if (accepted > 0) {
            break;
        }
        gensio_set_write_callback_enable(m_io, true);
        const bool ready = waitUntil(deadline);
        gensio_set_write_callback_enable(m_io, false);
        if (!ready) {
            return 0;
        }
    }
    const auto lineTime = std::chrono::duration<double>(static_cast<double>(accepted) *
                                                        BitsPerCharacter(m_control) / m_control.baudRate);
    m_outputLeavesAt =
        std::max(m_outputLeavesAt, Clock::now()) + std::chrono::duration_cast<Clock::duration>(lineTime);
    return static_cast<int>(accepted);
}

// Drops what the server holds from the sensor and what has already reached this PC.
void Rfc2217ComDevice::purgeInput() {
    if (m_connectionLost) {
        return;
    }
    sergensio_flush(m_serial, SERGENSIO_FLUSH_RCV_BUFFER);
    serviceWithoutWaiting();
    m_received.clear();
    m_receivedStart = 0;
    if (m_receivingPaused) {
        m_receivingPaused = false;
        gensio_set_read_callback_enable(m_io, true);
    }
}

// Lets the library hand over whatever it has ready, without waiting for more.
void Rfc2217ComDevice::serviceWithoutWaiting() {
    gensio_time noWait{0, 0};
    while (gensio_os_funcs_service(m_os, &noWait) == 0) {
        noWait = {0, 0};
    }
}

void Rfc2217ComDevice::release() {
    if (m_io != nullptr) {
        // Also a connection still being made: the library lets go of it only once it is closed. A
        // gensio that never opened refuses the close at once.
        gensio_close_s(m_io);
        gensio_free(m_io);
        m_io = nullptr;
        // A TLS stack whose handshake failed lets go of its layers only as their closes complete, in
        // the event loop: give the loop that moment, or they stay allocated.
        if (m_tlsLayer != nullptr) {
            for (int round = 0; round < kFreeingRounds; ++round) {
                gensio_time moment = GensioTime(kFreeingMoment);
                if (gensio_os_funcs_service(m_os, &moment) == GE_TIMEDOUT) {
                    break;
                }
            }
            m_tlsLayer = nullptr;
        }
    }
    if (m_waiter != nullptr) {
        gensio_os_funcs_free_waiter(m_os, m_waiter);
        m_waiter = nullptr;
    }
    if (m_os != nullptr) {
        gensio_os_funcs_free(m_os);
        m_os = nullptr;
    }
}

}  // namespace

std::unique_ptr<ComDevice> OpenNetworkComDevice(const std::string& name) {
    const std::optional<NetworkPortAddress> address = ParseNetworkPortName(name);
    if (!address) {
        SetComOpenFailure(name + " is no network port: give rfc2217://HOST:PORT.");
        return nullptr;
    }
    auto device = std::make_unique<Rfc2217ComDevice>();
    if (!device->connect(name, *address)) {
        return nullptr;
    }
    return device;
}

bool NetworkPortsAvailable() {
    return true;
}

}  // namespace torv
