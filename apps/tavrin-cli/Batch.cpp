#include "Batch.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "JsonWriter.h"

namespace tavrin::cli {

namespace {

// Lines are read this many at a time (or this much text) and run before the next are read:
// enough to keep every core busy, few enough that their output (some 3 kB a line) stays in
// the cache and its memory, touched once, is reused block after block.
constexpr std::size_t kBlockLines = 64;
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
// A worker takes this many lines at a time: fewer makes the workers meet more often, more
// leaves one worker alone with the last group of a block.
constexpr std::size_t kGroupLines = 8;
// Below this many lines in a block a second thread (and its own design, a third of a
// megabyte to clear) costs more than it saves.
constexpr std::size_t kLinesWorthSharing = 64;

// What std::isspace accepts in the C locale, the locale CLI11's splitting runs in.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Lines of a stream read in large blocks.  Like std::getline: a line ends at '\n' (not
// included), a last line without '\n' still counts, and nothing follows a final '\n'.
// A line stays valid until the next call.
class LineReader {
 public:
  explicit LineReader(std::FILE* in) : in_(in), buffer_(kChunk) {}

  bool Next(std::string_view& line) {
    for (;;) {
      const char* begin = buffer_.data() + start_;
      if (const void* nl = std::memchr(begin, '\n', end_ - start_)) {
        const auto length = static_cast<std::size_t>(static_cast<const char*>(nl) - begin);
        line = std::string_view(begin, length);
        start_ += length + 1;
        return true;
      }
      if (eof_) {
        if (start_ == end_) return false;
        line = std::string_view(begin, end_ - start_);
        start_ = end_;
        return true;
      }
      Refill();
    }
  }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 16;

  void Refill() {
    // Keep the unfinished line at the front; grow when one line fills the whole buffer.
    const std::size_t kept = end_ - start_;
    if (start_ > 0) std::memmove(buffer_.data(), buffer_.data() + start_, kept);
    start_ = 0;
    end_ = kept;
    if (buffer_.size() - end_ < kChunk / 2) buffer_.resize(buffer_.size() * 2);
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, in_);
    end_ += got;
    if (got == 0) eof_ = true;
  }

  std::FILE* in_;
  std::vector<char> buffer_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Lines read and not yet written, and what running them gave.
struct Block {
  struct Line {
    int number = 0;  // in the input, from 1
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  struct Group {
    std::size_t first = 0;  // lines[first, end)
    std::size_t end = 0;
    std::string out;  // one line of JSON per line
    std::string err;  // the refusals' messages
    bool refused = false;
  };
  std::string text;  // the lines' characters, one after the other
  std::vector<Line> lines;
  // groups[0, groupCount) hold this block; the rest keep their storage for later blocks.
  std::vector<Group> groups;
  std::size_t groupCount = 0;
  std::atomic<std::size_t> nextGroup{0};

  // Cuts the lines into groups, emptied for their output.
  void Divide() {
    groupCount = (lines.size() + kGroupLines - 1) / kGroupLines;
    if (groups.size() < groupCount) groups.resize(groupCount);
    for (std::size_t g = 0; g < groupCount; ++g) {
      Group& group = groups[g];
      group.first = g * kGroupLines;
      group.end = std::min(group.first + kGroupLines, lines.size());
      group.out.clear();
      group.err.clear();
      group.refused = false;
    }
    nextGroup = 0;
  }

  std::string_view TextOf(const Line& line) const {
    return std::string_view(text).substr(line.offset, line.length);
  }
};

// One thread per core, or TAVRIN_BATCH_THREADS when it is a number from 1 up.
unsigned ThreadsWanted() {
  if (const char* text = std::getenv("TAVRIN_BATCH_THREADS")) {
    unsigned n = 0;
    const char* end = text + std::strlen(text);
    const auto r = std::from_chars(text, end, n);
    if (r.ec == std::errc() && r.ptr == end && n > 0) return n;
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

void ParseLine(BatchLine& runner, std::string_view line, std::vector<std::string>& args) {
  CLI::App& app = runner.Options();
  if (SplitPlainLine(line, args)) {
    if (runner.ParsePlain(args)) return;
    // CLI11 takes the arguments last first.
    std::reverse(args.begin(), args.end());
    app.parse(std::move(args));
  } else {
    app.parse(std::string(line), false);
  }
}

void AppendRefusal(std::string& out, int lineNumber, const BatchRefusal& refused) {
  JsonWriter w(out);
  w.BeginObject();
  w.Key("line").Integer(lineNumber);
  w.Key("error").String(refused.front());
  w.Key("messages").BeginArray();
  for (const std::string& m : refused) w.String(m);
  w.EndArray();
  w.EndObject();
}

void RunLine(BatchLine& runner, int lineNumber, std::string_view line, std::vector<std::string>& args,
             Block::Group& group) {
  runner.Reset();
  BatchRefusal refused;
  try {
    ParseLine(runner, line, args);
  } catch (const CLI::ParseError& e) {
    refused.push_back(e.what());
  }
  const std::size_t lineStart = group.out.size();
  if (refused.empty()) refused = runner.Run(group.out);
  if (!refused.empty()) {
    group.refused = true;
    group.out.resize(lineStart);
    AppendRefusal(group.out, lineNumber, refused);
    for (const std::string& m : refused) {
      group.err += "line ";
      group.err += std::to_string(lineNumber);
      group.err += ": ";
      group.err += m;
      group.err += '\n';
    }
  }
  group.out += '\n';
}

// Takes groups of the block until none is left.
void RunGroups(BatchLine& runner, Block& block) {
  std::vector<std::string> args;
  for (;;) {
    const std::size_t g = block.nextGroup.fetch_add(1);
    if (g >= block.groupCount) return;
    Block::Group& group = block.groups[g];
    for (std::size_t i = group.first; i < group.end; ++i) {
      const Block::Line& line = block.lines[i];
      RunLine(runner, line.number, block.TextOf(line), args, group);
    }
  }
}

// Helper threads that run the groups of each block together with the calling thread, one
// BatchLine each.  They wait between blocks rather than being started for every block, and
// each makes its own BatchLine (a design to clear, options to define) while the calling
// thread already runs lines.
class Helpers {
 public:
  Helpers(const BatchLineFactory& makeLine, std::size_t count) : makeLine_(makeLine) {
    for (std::size_t h = 0; h < count; ++h) {
      try {
        threads_.emplace_back(&Helpers::Serve, this);
      } catch (const std::system_error&) {
        break;  // no more threads to be had: those running take the remaining groups
      }
    }
  }
  ~Helpers() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    start_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  Helpers(const Helpers&) = delete;
  Helpers& operator=(const Helpers&) = delete;

  // Runs every group of `block`, on this thread and the helpers; returns when all are done.
  void Run(Block& block, BatchLine& own) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      block_ = &block;
      ++generation_;
      busy_ = threads_.size();
    }
    start_.notify_all();
    RunGroups(own, block);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return busy_ == 0; });
  }

 private:
  void Serve() {
    std::unique_ptr<BatchLine> runner;
    {
      // One at a time: the factory need not allow more.
      const std::lock_guard<std::mutex> lock(factoryMutex_);
      runner = makeLine_();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    std::uint64_t seen = 0;
    for (;;) {
      start_.wait(lock, [&] { return stop_ || generation_ != seen; });
      if (stop_) return;
      seen = generation_;
      Block& block = *block_;
      lock.unlock();
      RunGroups(*runner, block);
      lock.lock();
      if (--busy_ == 0) done_.notify_one();
    }
  }

  const BatchLineFactory& makeLine_;
  std::mutex factoryMutex_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable done_;
  Block* block_ = nullptr;
  std::uint64_t generation_ = 0;
  std::size_t busy_ = 0;
  bool stop_ = false;
};

}  // namespace

bool SplitPlainLine(std::string_view line, std::vector<std::string>& args) {
  args.clear();
  if (line.find_first_of("'\"`") != std::string_view::npos) return false;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t first = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > first) args.emplace_back(line.substr(first, i - first));
  }
  return true;
}

int RunBatch(const std::string& source, const BatchLineFactory& makeLine, unsigned workers) {
  std::unique_ptr<std::FILE, FileCloser> file;
  std::FILE* in = stdin;
  if (source != "-") {
    file.reset(std::fopen(source.c_str(), "rb"));
    if (!file) {
      std::fprintf(stderr, "Unable to open file %s.\n", source.c_str());
      return 2;
    }
    in = file.get();
  }
  if (workers == 0) workers = ThreadsWanted();

  const std::unique_ptr<BatchLine> runner = makeLine();
  std::unique_ptr<Helpers> helpers;  // started with the first block worth sharing
  LineReader reader(in);
  Block block;
  int lineNumber = 0;
  bool anyRefused = false;
  bool more = true;
  while (more) {
    block.text.clear();
    block.lines.clear();
    std::string_view line;
    while (block.lines.size() < kBlockLines && block.text.size() < kBlockBytes) {
      if (!reader.Next(line)) {
        more = false;
        break;
      }
      ++lineNumber;
      const auto first = line.find_first_not_of(" \t\r");
      if (first == std::string_view::npos || line[first] == '#') continue;
      block.lines.push_back({lineNumber, block.text.size(), line.size()});
      block.text += line;
    }
    block.Divide();
    if (block.groupCount == 0) continue;
    if (!helpers && workers > 1 && block.lines.size() >= kLinesWorthSharing) {
      helpers = std::make_unique<Helpers>(makeLine, workers - 1);
    }
    if (helpers) {
      helpers->Run(block, *runner);
    } else {
      RunGroups(*runner, block);
    }
    for (std::size_t g = 0; g < block.groupCount; ++g) {
      const Block::Group& group = block.groups[g];
      anyRefused = anyRefused || group.refused;
      if (!group.err.empty()) {
        std::fflush(stdout);
        std::fwrite(group.err.data(), 1, group.err.size(), stderr);
      }
      std::fwrite(group.out.data(), 1, group.out.size(), stdout);
    }
  }
  std::fflush(stdout);
  return anyRefused ? 2 : 0;
}

}  // namespace tavrin::cli
