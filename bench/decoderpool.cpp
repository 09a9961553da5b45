// How many live 704x576 25 fps H.264 streams the decoder pool keeps playing, on both displays: N
// players, each drawing into a 352x288 window, are fed their stream in real time (zero buffer delay:
// each frame is due as it arrives). After a first second of warm-up, N passes when every player draws
// at least 24.5 frames/s and the 95th percentile of its lateness (on screen - pushed) is at most 40 ms.
//
// Measured in one run, next to each other:
//   - the ideal: plain libavcodec decoding of the same stream on one thread per processor, in frames/s
//     divided by 25, and the same decoding with each thread taking turns over as many streams as a
//     decoder thread serves near the goal (the cost of many decoders sharing a processor's caches);
//   - the largest N on the memory display (offscreen windows);
//   - the largest N with real Qt widgets under Xvfb (the application's path: QtVideoWidgets in one
//     top-level window, painted by the GUI thread). An Xvfb of its own is started when DISPLAY is unset.
// Each trial prints the cost per displayed frame, split into waiting (pushed -> decoding starts),
// decode (inside libavcodec) and draw (decoded -> in the window), and how many processors were busy:
// this process's own, and the whole machine's (other processes included). The figure is N / ideal.
//   bench_decoderpool [seconds per trial (default 6)] [memory|qt|both (default both)] [first N (default 8)]
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LiveStreamRig.h"
#include "platform/MemoryDisplay.h"
#include "platform/System.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtVideoWidget.h"
#include "player/decode/H264Decoder.h"
#include "player/video/DecoderManager.h"

namespace {

constexpr int kWindowWidth = 352;
constexpr int kWindowHeight = 288;
constexpr int64_t kWarmUpUs = 1000000;

// Runs `decode` on one thread per processor at once for the given time and gives the pictures per
// second all of them decoded; `decode` is given the moment to stop and answers its pictures.
double picturesPerSecondOnEveryProcessor(double seconds,
                                         const std::function<long(std::chrono::steady_clock::time_point)>& decode) {
  const int threads = platform::processorCount();
  std::atomic<long> pictures{0};
  std::vector<std::thread> workers;
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
  for (int t = 0; t < threads; ++t) workers.emplace_back([&] { pictures.fetch_add(decode(end)); });
  for (auto& worker : workers) worker.join();
  return static_cast<double>(pictures.load()) / seconds;
}

// Frames per second that one thread decodes with libavcodec alone, looping over the stream for the
// given time; every processor runs one such thread at once.
double plainDecodeFps(const std::vector<kxh264::AccessUnit>& units, double seconds) {
  return picturesPerSecondOnEveryProcessor(seconds, [&](std::chrono::steady_clock::time_point end) {
    kxbench::PlainH264Decoder decoder(units);
    long count = 0;
    while (std::chrono::steady_clock::now() < end) count += decoder.decodeAll();
    return count;
  });
}

// The same plain decoding, but every thread takes turns over streams of its own, one frame of each
// at a time with a decoder each, as a decoder thread of the pool serves its players: set against the
// figure above it shows what many decoders' memory falling out of the processor's caches costs.
double plainTakingTurnsFps(const std::vector<kxh264::AccessUnit>& units, int streamsPerThread, double seconds) {
  std::vector<std::vector<uint8_t>> padded;
  for (const auto& unit : units) {
    padded.emplace_back(unit.data.begin(), unit.data.end());
    padded.back().resize(unit.data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  }
  return picturesPerSecondOnEveryProcessor(seconds, [&](std::chrono::steady_clock::time_point end) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    std::vector<AVCodecContext*> contexts;
    for (int s = 0; s < streamsPerThread; ++s) {
      contexts.push_back(avcodec_alloc_context3(codec));
      contexts.back()->thread_count = 1;
      avcodec_open2(contexts.back(), codec, nullptr);
    }
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    long count = 0;
    for (size_t unit = 0; std::chrono::steady_clock::now() < end; unit = (unit + 1) % padded.size()) {
      for (AVCodecContext* context : contexts) {
        packet->data = padded[unit].data();
        packet->size = static_cast<int>(units[unit].data.size());
        avcodec_send_packet(context, packet);
        while (avcodec_receive_frame(context, frame) == 0) ++count;
      }
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    for (AVCodecContext* context : contexts) avcodec_free_context(&context);
    return count;
  });
}

// Access units told apart by their bytes (every unit of the stream differs): unit index by hash.
class UnitIndex {
 public:
  explicit UnitIndex(const std::vector<kxh264::AccessUnit>& units) {
    for (size_t i = 0; i < units.size(); ++i) {
      m_mapIndex[hash(units[i].data.data(), units[i].data.size())] = static_cast<int>(i);
    }
  }
  int indexOf(const char* data, size_t size) const {
    auto found = m_mapIndex.find(hash(data, size));
    return found == m_mapIndex.end() ? -1 : found->second;
  }

 private:
  static std::uint64_t hash(const char* data, size_t size) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (size_t i = 0; i < size; ++i) h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    return h ^ size;
  }
  std::map<std::uint64_t, int> m_mapIndex;
};

// The player's own decoder, with every picture's frame and times: when decoding of its access unit
// started and when the picture came out (the stream has no reordering: a unit's picture comes out at
// once).
class TimedDecoder : public IVideoDecoder {
 public:
  struct Span {
    int index = -1;  // the unit (frame) decoded
    int64_t start = 0;
    int64_t end = 0;
  };
  explicit TimedDecoder(const UnitIndex& units) : m_rUnits(units) {}
  int open() override { return m_objDecoder.open(); }
  void close() override { m_objDecoder.close(); }
  bool isOpened() const override { return m_objDecoder.isOpened(); }
  int decode(const char* data, int size, int64_t token) override {
    m_nIndex = data != nullptr ? m_rUnits.indexOf(data, static_cast<size_t>(size)) : -1;
    m_nStart = getMicroSeconds();
    return m_objDecoder.decode(data, size, token);
  }
  int nextPicture(DecodedPicture** picture, int64_t* token) override {
    const int result = m_objDecoder.nextPicture(picture, token);
    if (result == 1) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_vecSpans.push_back({m_nIndex, m_nStart, getMicroSeconds()});
    }
    return result;
  }
  int width() const override { return m_objDecoder.width(); }
  int height() const override { return m_objDecoder.height(); }
  std::vector<Span> spans() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_vecSpans;
  }

 private:
  const UnitIndex& m_rUnits;
  H264Decoder m_objDecoder;
  int m_nIndex = -1;     // the serving thread's only
  int64_t m_nStart = 0;  // the serving thread's only
  std::mutex m_mutex;
  std::vector<Span> m_vecSpans;
};

// Processor time: this process's, and the whole machine's busy time from /proc/stat, in seconds.
struct ProcessorTime {
  double process = 0;
  double machine = 0;
  static ProcessorTime now() {
    ProcessorTime t;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    t.process = static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
    std::ifstream stat("/proc/stat");
    std::string cpuLabel;
    long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    stat >> cpuLabel >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    t.machine = static_cast<double>(user + nice + system + irq + softirq + steal) / sysconf(_SC_CLK_TCK);
    return t;
  }
};

// One player of a trial with the times its pictures reached its window.
struct WallPlayer {
  TimedDecoder* decoder = nullptr;
  std::unique_ptr<kxbench::LivePlayerUnderTest> live;
  std::mutex mutex;
  std::vector<int64_t> onScreen;
};

struct Trial {
  bool pass = false;
  double worstFps = 0;
  double worstP95Ms = 0;
  double waitingMs = 0;
  double decodeMs = 0;
  double drawMs = 0;
  double processBusy = 0;  // processors
  double machineBusy = 0;
};

// The windows a trial draws into, and what the main thread does while the streams are pushed.
class Wall {
 public:
  virtual ~Wall() = default;
  virtual const char* name() const = 0;
  virtual platform::SoftwareDisplay& display() = 0;
  virtual std::vector<HWND> open(int n) = 0;
  virtual void close() = 0;
  virtual void pumpUntil(const std::atomic<bool>& done) = 0;
};

class MemoryWall : public Wall {
 public:
  const char* name() const override { return "memory display"; }
  platform::SoftwareDisplay& display() override { return platform::MemoryDisplay::instance(); }
  std::vector<HWND> open(int n) override {
    platform::MemoryDisplay::instance().reset();
    for (int i = 0; i < n; ++i) m_vecWindows.push_back(createOffscreenWindow(kWindowWidth, kWindowHeight));
    return m_vecWindows;
  }
  void close() override {
    for (HWND window : m_vecWindows) destroyOffscreenWindow(window);
    m_vecWindows.clear();
    platform::MemoryDisplay::instance().clearBlitLog();
  }
  void pumpUntil(const std::atomic<bool>& done) override {
    while (!done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

 private:
  std::vector<HWND> m_vecWindows;
};

// Video widgets tiled over one 1920x1080 top-level window (beyond 5 x 3 they overlap), as a video
// wall of the application shows them; the main thread is the GUI thread.
class QtWall : public Wall {
 public:
  const char* name() const override { return "Qt widgets under Xvfb"; }
  platform::SoftwareDisplay& display() override { return platform::QtDisplay::instance(); }
  std::vector<HWND> open(int n) override {
    m_pTop = std::make_unique<QWidget>();
    m_pTop->resize(1920, 1080);
    std::vector<HWND> windows;
    for (int i = 0; i < n; ++i) {
      auto* widget = new platform::QtVideoWidget(m_pTop.get());
      widget->setGeometry((i % 5) * kWindowWidth + (i / 15) % 8 * 8, (i / 5) % 3 * kWindowHeight + (i / 15) % 8 * 8,
                          kWindowWidth, kWindowHeight);
      windows.push_back(widget->windowId());
    }
    m_pTop->show();
    for (int turn = 0; turn < 50; ++turn) QApplication::processEvents(QEventLoop::AllEvents, 10);
    return windows;
  }
  void close() override {
    m_pTop.reset();
    QApplication::processEvents();
  }
  void pumpUntil(const std::atomic<bool>& done) override {
    // The GUI thread's own event loop, as the application runs it, looking at done now and then.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
      if (done.load()) loop.quit();
    });
    check.start(20);
    loop.exec();
  }

 private:
  std::unique_ptr<QWidget> m_pTop;
};

double mean(const std::vector<double>& values) {
  double sum = 0;
  for (double v : values) sum += v;
  return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

// Every player's frames after the warm-up: its frame rate and lateness, and the split of the cost.
void summarise(std::vector<std::unique_ptr<WallPlayer>>& players, int64_t start, double seconds, Trial& trial) {
  trial.pass = true;
  trial.worstFps = 1e9;
  std::vector<double> waiting, decode, draw;
  for (auto& player : players) {
    const std::vector<TimedDecoder::Span> spans = player->decoder->spans();
    std::vector<int64_t> onScreen;
    {
      std::lock_guard<std::mutex> lock(player->mutex);
      onScreen = player->onScreen;
    }
    // The k-th picture in the window is the k-th decoded one.
    std::vector<double> lateness;
    const size_t count = std::min(spans.size(), onScreen.size());
    for (size_t k = 0; k < count; ++k) {
      const int64_t pushed = player->live->pushTime(spans[k].index);
      if (pushed == 0 || pushed < start + kWarmUpUs) continue;
      lateness.push_back((onScreen[k] - pushed) / 1000.0);
      waiting.push_back((spans[k].start - pushed) / 1000.0);
      decode.push_back((spans[k].end - spans[k].start) / 1000.0);
      draw.push_back((onScreen[k] - spans[k].end) / 1000.0);
    }
    const double fps = static_cast<double>(lateness.size()) / (seconds - kWarmUpUs / 1e6);
    const double p95 = kxbench::percentile(lateness, 95);
    trial.worstFps = std::min(trial.worstFps, fps);
    trial.worstP95Ms = std::max(trial.worstP95Ms, p95);
    if (fps < 24.5 || p95 > 40) trial.pass = false;
  }
  trial.waitingMs = mean(waiting);
  trial.decodeMs = mean(decode);
  trial.drawMs = mean(draw);
}

// One pusher: player p's frame i arrives at start + i * 40 ms + p * 40 ms / n (phases spread).
void pushStreams(std::vector<std::unique_ptr<WallPlayer>>& players, const std::vector<kxh264::AccessUnit>& units,
                 int frames, int64_t start, ProcessorTime& atWarmUp) {
  const int n = static_cast<int>(players.size());
  std::vector<int> next(static_cast<size_t>(n), 0);
  bool warm = false;
  for (;;) {
    int64_t earliest = INT64_MAX;
    int who = -1;
    for (int p = 0; p < n; ++p) {
      if (next[static_cast<size_t>(p)] >= frames) continue;
      const int64_t due = start + next[static_cast<size_t>(p)] * 40000LL + p * 40000LL / n;
      if (due < earliest) {
        earliest = due;
        who = p;
      }
    }
    if (who < 0) break;
    const int64_t wait = earliest - getMicroSeconds();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
    if (!warm && earliest >= start + kWarmUpUs) {
      atWarmUp = ProcessorTime::now();
      warm = true;
    }
    const int i = next[static_cast<size_t>(who)]++;
    players[static_cast<size_t>(who)]->live->push(units[static_cast<size_t>(i) % units.size()], i);
  }
}

Trial runTrial(Wall& wall, int n, const std::vector<kxh264::AccessUnit>& units, const UnitIndex& index,
               double seconds) {
  const std::vector<HWND> windows = wall.open(n);
  std::vector<std::unique_ptr<WallPlayer>> players;
  std::map<HWND, WallPlayer*> byWindow;
  for (HWND window : windows) {
    auto player = std::make_unique<WallPlayer>();
    auto decoder = std::make_unique<TimedDecoder>(index);
    player->decoder = decoder.get();
    player->live = std::make_unique<kxbench::LivePlayerUnderTest>(window, kWindowWidth, kWindowHeight, std::move(decoder));
    byWindow[window] = player.get();
    players.push_back(std::move(player));
  }
  // Read only while the players draw; every picture that reaches a window is timed.
  wall.display().setDrawObserver([&byWindow](platform::WindowId window, const platform::Rect&) {
    const int64_t now = getMicroSeconds();
    auto found = byWindow.find(window);
    if (found == byWindow.end()) return;
    std::lock_guard<std::mutex> lock(found->second->mutex);
    found->second->onScreen.push_back(now);
  });
  const int frames = static_cast<int>(seconds * 25);
  const int64_t start = getMicroSeconds() + 100000;
  ProcessorTime atWarmUp, atEnd;
  std::atomic<bool> pushed{false};
  std::thread pusher([&] {
    pushStreams(players, units, frames, start, atWarmUp);
    atEnd = ProcessorTime::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pushed.store(true);
  });
  wall.pumpUntil(pushed);
  pusher.join();
  const double measured = (seconds * 1e6 - kWarmUpUs) / 1e6;
  Trial trial;
  summarise(players, start, seconds, trial);
  trial.processBusy = (atEnd.process - atWarmUp.process) / measured;
  trial.machineBusy = (atEnd.machine - atWarmUp.machine) / measured;
  // Every player stops drawing before the observer and the times it writes to go.
  for (auto& player : players) player->live.reset();
  wall.display().setDrawObserver(nullptr);
  players.clear();
  wall.close();
  return trial;
}

void printTrial(int n, const Trial& t) {
  std::printf("  N %3d: worst %5.2f frames/s, worst p95 lateness %6.1f ms | per frame: waiting %6.2f, decode %.2f, "
              "draw %.2f ms | busy processors: process %.1f, machine %.1f: %s\n",
              n, t.worstFps, t.worstP95Ms, t.waitingMs, t.decodeMs, t.drawMs, t.processBusy, t.machineBusy,
              t.pass ? "pass" : "fail");
  std::fflush(stdout);
}

// Doubling from the first N, then halving the interval between the last pass and the first failure.
void search(Wall& wall, const std::vector<kxh264::AccessUnit>& units, const UnitIndex& index, double seconds,
            double ideal, int firstN) {
  std::printf("%s:\n", wall.name());
  int good = 0, bad = 0;
  Trial goodTrial, badTrial;
  auto run = [&](int n) {
    const Trial trial = runTrial(wall, n, units, index, seconds);
    printTrial(n, trial);
    if (trial.pass) {
      good = n;
      goodTrial = trial;
    } else {
      bad = n;
      badTrial = trial;
    }
  };
  for (int n = firstN; bad == 0 && n <= 4 * ideal + 8; n *= 2) run(n);
  if (bad == 0) bad = good + 1;  // never failed within the range tried
  while (bad > good + 1) run((good + bad) / 2);
  std::printf("  largest N: %d; N / ideal = %.2f (goal 0.6, mark 0.7)\n", good, ideal > 0 ? good / ideal : 0.0);
  std::printf("  at N %d per frame: waiting %.2f, decode %.2f, draw %.2f ms; at the failing N %d: busy processors "
              "process %.1f, machine %.1f of %d\n",
              good, goodTrial.waitingMs, goodTrial.decodeMs, goodTrial.drawMs, bad, badTrial.processBusy,
              badTrial.machineBusy, platform::processorCount());
  std::fflush(stdout);
}

// Starts Xvfb on a free display, which it names through a pipe: its process id, 0 when it failed.
pid_t startXvfb() {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // goes with this process, however it ends
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[32] = {};
  const ssize_t got = read(fds[0], number, sizeof(number) - 1);
  close(fds[0]);
  if (pid < 0) return 0;
  const int display = got > 0 ? std::atoi(number) : -1;
  if (display < 0 || access(("/tmp/.X11-unix/X" + std::to_string(display)).c_str(), F_OK) != 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return 0;
  }
  setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
  return pid;
}

// An X server of this run's own when none is given: its process id, 0 when none was started. Xvfbs
// started at the same moment by others may race for a display number: tried a few times.
pid_t startXvfbIfNeeded() {
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0') return 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (const pid_t pid = startXvfb()) return pid;
  }
  std::fprintf(stderr, "Xvfb could not be started\n");
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 6.0;
  const std::string which = argc > 2 ? argv[2] : "both";
  const int firstN = argc > 3 ? std::max(1, std::atoi(argv[3])) : 8;
  // Every frame of a trial is a unit of its own (told apart by its bytes).
  const std::string path = kxbench::liveStream704x576(std::max(10, static_cast<int>(seconds) + 1));
  if (path.empty()) {
    std::fprintf(stderr, "ffmpeg could not make the 704x576 stream\n");
    return 1;
  }
  const std::vector<kxh264::AccessUnit> units = kxh264::splitAccessUnits(path);
  const UnitIndex index(units);
  const ProcessorTime before = ProcessorTime::now();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double otherLoad = ProcessorTime::now().machine - before.machine;
  const double plainFps = plainDecodeFps(units, 3.0);
  const double ideal = plainFps / 25.0;
  std::printf("processors %d, decoder threads %d; machine busy before the run: %.1f processors\n",
              platform::processorCount(), DecoderManager::threadCountFor(0), otherLoad);
  std::printf("ideal (plain libavcodec, one thread per processor): %.0f frames/s = %.1f streams\n", plainFps, ideal);
  // As many streams per thread as the pool holds near the goal.
  const int turns = std::max(1, static_cast<int>(ideal * 0.6 / platform::processorCount()));
  const double turnsFps = plainTakingTurnsFps(units, turns, 3.0);
  std::printf("  the same taking turns over %d streams per thread: %.0f frames/s (%.2f of the ideal); per frame "
              "%.2f ms against %.2f ms\n",
              turns, turnsFps, plainFps > 0 ? turnsFps / plainFps : 0.0,
              turnsFps > 0 ? platform::processorCount() * 1000.0 / turnsFps : 0.0,
              plainFps > 0 ? platform::processorCount() * 1000.0 / plainFps : 0.0);
  std::fflush(stdout);

  if (which == "memory" || which == "both") {
    MemoryWall memory;
    search(memory, units, index, seconds, ideal, firstN);
  }
  if (which == "qt" || which == "both") {
    const pid_t xvfb = startXvfbIfNeeded();
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int qtArgc = 1;
    {
      QApplication app(qtArgc, argv);
      QtWall qt;
      search(qt, units, index, seconds, ideal, firstN);
    }
    if (xvfb > 0) {
      kill(xvfb, SIGTERM);
      waitpid(xvfb, nullptr, 0);
    }
  }
  return 0;
}
