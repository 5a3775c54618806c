// dtusim: a simulated DTU on a serial line (a pty it makes, or a tty path it is given). It plays
// the device's side of the setting-mode dialogue: the start-up prompt, "s" and "+++", the
// configuration listing, set commands, the maintenance commands, the idle time-out, and faults
// on demand. Every byte it receives goes to a transcript file.
#include "tools/dtusim/device_model.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char kUsage[] =
    "Usage: dtusim [options]\n"
    "A simulated DTU on a serial line, for testing the configuration tool.\n"
    "\n"
    "  --tty PATH            serve this tty (for example the peer end of a pty pair);\n"
    "                        without it a new pty is made and its path printed\n"
    "  --config FILE         keep the device configuration in FILE (survives restarts)\n"
    "  --transcript FILE     append every received byte to FILE\n"
    "  --control FILE        read commands appended to FILE while running (see below)\n"
    "  --baud N              pace the output to N baud (default 115200; 0: no pacing)\n"
    "  --type T              device type: plain, lora (\"-L\"), zigbee (\"-Z\"), gps (\"Tamsa\")\n"
    "  --interfaces LIST     interfaces the model has, from serial1,serial2,rs485,io1..io5\n"
    "                        (default all; \"none\" for none)\n"
    "  --sensors N           number of sensor rows \"GENSENSORINFO n:\" (default 8)\n"
    "  --prompts N           start-up prompts containing \"'s' key\" before the device runs\n"
    "                        on its own (default 10; 0: start running at once)\n"
    "  --prompt-interval MS  time between prompts (default 500)\n"
    "  --idle-timeout S      leave the setting mode with \"Seting Timeout and quit\" after S\n"
    "                        seconds without input (default 300; 0: never)\n"
    "  --max-chunk N         replies go out in chunks of 1 to N bytes (default 256)\n"
    "  --seed N              seed of the chunk sizes and faults (default: time)\n"
    "  --fault F             arm a fault for the next reply(s); F is one of\n"
    "                          noreply[:N]     the next N commands get no reply\n"
    "                          late:MS         the next reply starts MS milliseconds late\n"
    "                          csq-error       the next \"At+CSQ\" is answered \"ERROR\"\n"
    "                          zeros[:N]       zero bytes inside the next N replies\n"
    "                          garbage[:N]     random bytes inside the next N replies\n"
    "                          flood[:BYTES]   the next reply is preceded by BYTES (default\n"
    "                                          20000) bytes of noise, over 16000 in all\n"
    "                          banner          the next reply is followed, in the same write,\n"
    "                                          by an unsolicited status line and a banner\n"
    "                          none            disarm every fault\n"
    "  --help                this text\n"
    "\n"
    "Control file commands (one per line): fault F | baud N | idle-timeout S | prompt\n"
    "(power-up: the start-up prompts again) | timeout (the idle time-out now).\n";

struct Faults {
    int noReply = 0;
    int lateMs = 0;
    bool csqError = false;
    int zeros = 0;
    int garbage = 0;
    int flood = 0;
    bool banner = false;
};

enum class Mode { Boot, Running, Setting };

struct Options {
    std::string tty, config, transcript, control;
    int baud = 115200;
    DeviceKind kind = DeviceKind::Plain;
    DeviceInterfaces interfaces;
    int sensors = 8;
    int prompts = 10;
    int promptIntervalMs = 500;
    int idleTimeoutS = 300;
    int maxChunk = 256;
    unsigned seed = 0;
    Faults faults;
};

bool ArmFault(Faults& faults, const std::string& request) {
    const size_t colon = request.find(':');
    std::string name = request.substr(0, colon);
    int arg = colon == std::string::npos ? -1 : std::atoi(request.c_str() + colon + 1);
    if (name == "noreply")
        faults.noReply = arg > 0 ? arg : 1;
    else if (name == "late")
        faults.lateMs = arg > 0 ? arg : 3000;
    else if (name == "csq-error")
        faults.csqError = true;
    else if (name == "zeros")
        faults.zeros = arg > 0 ? arg : 1;
    else if (name == "garbage")
        faults.garbage = arg > 0 ? arg : 1;
    else if (name == "flood")
        faults.flood = arg > 0 ? arg : 20000;
    else if (name == "banner")
        faults.banner = true;
    else if (name == "none")
        faults = Faults{};
    else
        return false;
    return true;
}

bool ParseInterfaces(const std::string& list, DeviceInterfaces& out) {
    out = DeviceInterfaces{};
    out.serial1 = out.serial2 = out.rs485 = false;
    for (bool& io : out.io)
        io = false;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        std::string word =
            list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (word == "serial1")
            out.serial1 = true;
        else if (word == "serial2")
            out.serial2 = true;
        else if (word == "rs485")
            out.rs485 = true;
        else if (word.size() == 3 && word.compare(0, 2, "io") == 0 && word[2] >= '1' &&
                 word[2] <= '5')
            out.io[word[2] - '1'] = true;
        else if (word != "none" && !word.empty())
            return false;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

class CSimulator {
public:
    CSimulator(Options options, int fd)
        : options_(std::move(options)), fd_(fd),
          model_(options_.kind, options_.interfaces, options_.sensors),
          random_(options_.seed ? options_.seed
                                : unsigned(Clock::now().time_since_epoch().count())) {
        faults_ = options_.faults;
        if (!options_.config.empty() && !model_.Load(options_.config))
            model_.Save(options_.config);
        model_.changed = false;
        if (!options_.transcript.empty())
            transcript_ = std::fopen(options_.transcript.c_str(), "ab");
        // Only commands appended from now on count: a simulator started again must not arm the
        // faults that an earlier run was asked for.
        if (!options_.control.empty())
            if (FILE* f = std::fopen(options_.control.c_str(), "rb")) {
                std::fseek(f, 0, SEEK_END);
                controlOffset_ = std::ftell(f);
                std::fclose(f);
            }
        PowerUp(options_.prompts);
    }

    void Run() {
        for (;;) {
            ReadControl();
            Tick();
            pollfd p = {fd_, POLLIN, 0};
            int r = poll(&p, 1, 20);
            if (r < 0 && errno != EINTR)
                return;
            if (r > 0 && (p.revents & POLLIN)) {
                char buffer[4096];
                ssize_t n = read(fd_, buffer, sizeof(buffer));
                if (n > 0)
                    Receive(buffer, size_t(n));
                else if (n < 0 && errno != EAGAIN && errno != EINTR)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            } else if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
                // The other end is closed for now; it may open again.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    }

private:
    // Power-up: the start-up prompts, then running on its own. A power-up asked for through the
    // control file always prompts, even when the simulator started without prompts.
    void PowerUp(int prompts) {
        mode_ = prompts > 0 ? Mode::Boot : Mode::Running;
        promptsLeft_ = prompts;
        nextPrompt_ = Clock::now();
        line_.clear();
    }

    void Tick() {
        auto now = Clock::now();
        if (mode_ == Mode::Boot && now >= nextPrompt_) {
            if (promptsLeft_-- > 0) {
                Write(CDeviceModel::Prompt());
                nextPrompt_ = now + std::chrono::milliseconds(options_.promptIntervalMs);
            } else {
                mode_ = Mode::Running;
            }
        }
        if (mode_ == Mode::Setting && options_.idleTimeoutS > 0 &&
            now - lastInput_ >= std::chrono::seconds(options_.idleTimeoutS))
            IdleTimeout();
    }

    void IdleTimeout() {
        Write("\r\nSeting Timeout and quit\r\n");
        mode_ = Mode::Running;
        line_.clear();
    }

    void Receive(const char* bytes, size_t n) {
        if (transcript_) {
            std::fwrite(bytes, 1, n, transcript_);
            std::fflush(transcript_);
        }
        lastInput_ = Clock::now();
        for (size_t i = 0; i < n; ++i) {
            char c = bytes[i];
            switch (mode_) {
            case Mode::Boot:
                if (c == 's') {
                    mode_ = Mode::Setting;
                    line_.clear();
                    Reply(CDeviceModel::CommandList() + "OK\r\n");
                }
                break;
            case Mode::Running:
                line_ += c;
                if (line_.size() > 3)
                    line_.erase(0, line_.size() - 3);
                if (line_ == "+++") {
                    line_.clear();
                    mode_ = Mode::Setting;
                    Reply("\r\nenter setting!\r\n");
                }
                break;
            case Mode::Setting:
                if (c == '\r' || c == '\n') {
                    std::string line;
                    line.swap(line_);
                    // Setting-mode keys that came before the command are not part of it.
                    size_t start = line.find_first_not_of('s');
                    if (start != std::string::npos)
                        Command(line.substr(start));
                    break;
                }
                line_ += c;
                if (line_.size() >= 3 && line_.compare(line_.size() - 3, 3, "+++") == 0) {
                    line_.clear();
                    Reply("\r\nenter setting!\r\n");
                }
                if (line_.size() > 4096)
                    line_.erase(0, line_.size() - 4096);
                break;
            }
        }
    }

    void Command(const std::string& line) {
        DeviceAnswer answer = model_.Answer(line);
        if (answer.isSignal && faults_.csqError) {
            faults_.csqError = false;
            answer.text = "\r\nERROR\r\n";
        }
        if (model_.changed && !options_.config.empty()) {
            model_.Save(options_.config);
            model_.changed = false;
        }
        Reply(answer.text);
        if (answer.leaveSetting)
            mode_ = Mode::Running;
    }

    // One reply, with whatever faults are armed.
    void Reply(std::string text) {
        if (faults_.noReply > 0) {
            --faults_.noReply;
            return;
        }
        if (faults_.lateMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(faults_.lateMs));
            faults_.lateMs = 0;
        }
        if (faults_.zeros > 0) {
            --faults_.zeros;
            Insert(text, [&](std::string& s) { s.assign(size_t(1 + random_() % 4), '\0'); });
        }
        if (faults_.garbage > 0) {
            --faults_.garbage;
            Insert(text, [&](std::string& s) {
                s.clear();
                for (unsigned n = 1 + random_() % 12; n > 0; --n) {
                    // High bytes and control characters: nothing that could spell a marker.
                    unsigned v = random_() % 160;
                    s += char(v < 32 ? v : v + 96);
                }
            });
        }
        if (faults_.flood > 0) {
            std::string noise;
            while (int(noise.size()) < faults_.flood)
                noise += "~~ line noise ~~ 0123456789 abcdefghijklmnopqrstuvwxyz ~~\r\n";
            noise.resize(size_t(faults_.flood));
            text = noise + text;
            faults_.flood = 0;
        }
        if (faults_.banner) {
            // A device that says more right after its answer (a reboot banner, a status line):
            // both reach the other end together.
            faults_.banner = false;
            Write(text + "\r\n+SYS: restarting\r\nDTU boot v2.3.7 ready\r\n", true);
            return;
        }
        Write(text);
    }

    // Puts a few runs of odd bytes inside the text, never into its last line.
    template <typename Make> void Insert(std::string& text, Make make) {
        size_t body = text.size() > 8 ? text.size() - 8 : 0;
        if (body == 0)
            return;
        for (int k = 0; k < 6; ++k) {
            std::string run;
            make(run);
            text.insert(size_t(random_() % body), run);
        }
    }

    // Writes in chunks of random size (or in one when `whole`), paced to the baud rate.
    void Write(const std::string& text, bool whole = false) {
        size_t at = 0;
        while (at < text.size()) {
            size_t chunk = whole ? text.size()
                                 : 1 + random_() % unsigned(options_.maxChunk > 0 ? options_.maxChunk : 1);
            chunk = std::min(chunk, text.size() - at);
            size_t done = 0;
            while (done < chunk) {
                ssize_t n = write(fd_, text.data() + at + done, chunk - done);
                if (n < 0) {
                    if (errno == EAGAIN || errno == EINTR) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        continue;
                    }
                    return;
                }
                done += size_t(n);
            }
            at += chunk;
            if (options_.baud > 0)
                std::this_thread::sleep_for(
                    std::chrono::microseconds(chunk * 10 * 1000000 / size_t(options_.baud)));
        }
    }

    void ReadControl() {
        if (options_.control.empty())
            return;
        FILE* f = std::fopen(options_.control.c_str(), "rb");
        if (!f)
            return;
        std::fseek(f, 0, SEEK_END);
        long size = std::ftell(f);
        if (size > controlOffset_) {
            std::fseek(f, controlOffset_, SEEK_SET);
            std::string text(size_t(size - controlOffset_), '\0');
            size_t got = std::fread(&text[0], 1, text.size(), f);
            text.resize(got);
            size_t end = text.rfind('\n');
            if (end != std::string::npos) {
                controlOffset_ += long(end + 1);
                size_t start = 0;
                while (start <= end) {
                    size_t nl = text.find('\n', start);
                    Control(text.substr(start, nl - start));
                    start = nl + 1;
                }
            }
        }
        std::fclose(f);
    }

    void Control(std::string line) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        std::string word = line.substr(0, line.find(' '));
        std::string arg =
            line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
        if (word == "fault")
            ArmFault(faults_, arg);
        else if (word == "baud")
            options_.baud = std::atoi(arg.c_str());
        else if (word == "idle-timeout")
            options_.idleTimeoutS = std::atoi(arg.c_str());
        else if (word == "prompt")
            PowerUp(options_.prompts > 0 ? options_.prompts : 10);
        else if (word == "timeout" && mode_ == Mode::Setting)
            IdleTimeout();
    }

    Options options_;
    int fd_;
    CDeviceModel model_;
    std::mt19937 random_;
    Faults faults_;
    Mode mode_ = Mode::Boot;
    int promptsLeft_ = 0;
    Clock::time_point nextPrompt_, lastInput_ = Clock::now();
    std::string line_;
    FILE* transcript_ = nullptr;
    long controlOffset_ = 0;
};

void MakeRaw(int fd) {
    termios t;
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "dtusim: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--tty")
            options.tty = next();
        else if (a == "--config")
            options.config = next();
        else if (a == "--transcript")
            options.transcript = next();
        else if (a == "--control")
            options.control = next();
        else if (a == "--baud")
            options.baud = std::atoi(next().c_str());
        else if (a == "--type") {
            std::string t = next();
            if (t == "plain")
                options.kind = DeviceKind::Plain;
            else if (t == "lora")
                options.kind = DeviceKind::Lora;
            else if (t == "zigbee")
                options.kind = DeviceKind::Zigbee;
            else if (t == "gps")
                options.kind = DeviceKind::Gps;
            else {
                std::fprintf(stderr, "dtusim: unknown type %s\n", t.c_str());
                return 2;
            }
        } else if (a == "--interfaces") {
            if (!ParseInterfaces(next(), options.interfaces)) {
                std::fprintf(stderr, "dtusim: unknown interface in %s\n", argv[i]);
                return 2;
            }
        } else if (a == "--sensors")
            options.sensors = std::atoi(next().c_str());
        else if (a == "--prompts")
            options.prompts = std::atoi(next().c_str());
        else if (a == "--prompt-interval")
            options.promptIntervalMs = std::atoi(next().c_str());
        else if (a == "--idle-timeout")
            options.idleTimeoutS = std::atoi(next().c_str());
        else if (a == "--max-chunk")
            options.maxChunk = std::atoi(next().c_str());
        else if (a == "--seed")
            options.seed = unsigned(std::strtoul(next().c_str(), nullptr, 10));
        else if (a == "--fault") {
            if (!ArmFault(options.faults, next())) {
                std::fprintf(stderr, "dtusim: unknown fault %s\n", argv[i]);
                return 2;
            }
        } else {
            std::fprintf(stderr, "dtusim: unknown option %s (see --help)\n", a.c_str());
            return 2;
        }
    }

    int fd = -1;
    if (!options.tty.empty()) {
        fd = open(options.tty.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) {
            std::fprintf(stderr, "dtusim: cannot open %s: %s\n", options.tty.c_str(),
                         std::strerror(errno));
            return 1;
        }
    } else {
        fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
            std::perror("dtusim: pty");
            return 1;
        }
        std::printf("%s\n", ptsname(fd));
        std::fflush(stdout);
    }
    MakeRaw(fd);
    CSimulator simulator(options, fd);
    simulator.Run();
    return 0;
}
