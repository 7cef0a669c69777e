// The relay between a run on its own thread and the progress window: what reaches the window,
// in which order, on which thread.

#include "progress_relay.h"
#include "recording_progress.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <set>
#include <thread>

namespace kelsetup::testing {
namespace {

using Lines = std::vector<std::string>;

// Hands every step straight to the caller's thread: for the rules that do not depend on threads.
ProgressRelay::OnWindowThread SameThread() {
    return [](const std::function<void()>& step) { step(); };
}

TEST(ProgressRelay, ShowsOnlyTheLatestOfWhatWasStored) {
    RecordingProgress window;
    ProgressRelay relay(window, SameThread());
    relay.ShowStatus("Copying file:", "a.dat", "to:", "C:\\A\\a.dat");
    relay.ShowStatus("Copying file:", "b.dat", "to:", "C:\\A\\b.dat");
    relay.SetProgressPercent(10);
    relay.SetProgressPercent(12);
    EXPECT_TRUE(window.events.empty()) << "nothing is shown before the window thread asks";
    relay.ShowPending();
    EXPECT_EQ(window.statuses, (std::vector<Lines>{{"Copying file:", "b.dat", "to:", "C:\\A\\b.dat"}}));
    EXPECT_EQ(window.percents, (std::vector<int>{12}));
    relay.ShowPending();
    EXPECT_EQ(window.events.size(), 2u) << "what was shown is not shown again";
}

TEST(ProgressRelay, KeepsTheDifferenceBetweenAStatusAndAnAction) {
    struct Case {
        const char* name;
        std::function<void(ProgressRelay&)> stores;
        std::vector<std::string> events;
        Lines lastStatus;
    };
    const Case cases[] = {
        {"action alone changes the action line only",
         [](ProgressRelay& r) { r.ShowAction("Finishing uninstall..."); },
         {"action Finishing uninstall..."},
         {"Finishing uninstall...", "", "", ""}},
        {"an action after a status replaces its action line",
         [](ProgressRelay& r) {
             r.ShowStatus("Removing files", "x", "y", "z");
             r.ShowAction("Removing directories");
         },
         {"status Removing directories"},
         {"Removing directories", "x", "y", "z"}},
        {"a status after an action replaces all four lines",
         [](ProgressRelay& r) {
             r.ShowAction("first");
             r.ShowStatus("second", "", "", "");
         },
         {"status second"},
         {"second", "", "", ""}},
    };
    for (const Case& c : cases) {
        RecordingProgress window;
        ProgressRelay relay(window, SameThread());
        c.stores(relay);
        relay.ShowPending();
        EXPECT_EQ(window.events, c.events) << c.name;
        ASSERT_FALSE(window.statuses.empty()) << c.name;
        EXPECT_EQ(window.statuses.back(), c.lastStatus) << c.name;
    }
}

TEST(ProgressRelay, ShowsWhatIsPendingBeforeEveryHandover) {
    RecordingProgress window;
    window.installOnConflict = false;
    ProgressRelay relay(window, SameThread());
    relay.BeginRun();
    relay.ShowStatus("Copying file:", "old.dll", "to:", "C:\\W\\old.dll");
    relay.SetProgressPercent(50);
    const bool install = relay.AskInstallConflict({{1, 0, 0, 0}, {2, 0, 0, 0}, "old.dll"});
    relay.ShowAction("Adding Uninstall routine to Windows...");
    relay.EndRun();
    relay.ShowFinish("Done.", true);
    EXPECT_FALSE(install) << "the user's answer comes back to the run";
    EXPECT_EQ(window.events, (std::vector<std::string>{"begin", "status Copying file:", "percent 50", "conflict old.dll",
                                                       "action Adding Uninstall routine to Windows...", "end",
                                                       "finish install Done."}));
}

// A window thread as the program has one: it runs handed-over steps in turn and, between
// them, shows what is pending.
class WindowThread {
public:
    explicit WindowThread(ProgressRelay& relay) : relay_(relay), thread_([this] { Loop(); }) {}
    ~WindowThread() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    // Runs `step` on this thread and waits for it.
    void Run(const std::function<void()>& step) {
        std::promise<void> done;
        {
            std::lock_guard lock(mutex_);
            steps_.push_back([&] {
                step();
                done.set_value();
            });
        }
        wake_.notify_one();
        done.get_future().wait();
    }
    std::thread::id Id() const { return thread_.get_id(); }

private:
    ProgressRelay& relay_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> steps_;
    bool stop_ = false;
    std::thread thread_;

    void Loop() {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            wake_.wait_for(lock, std::chrono::microseconds(200), [this] { return stop_ || !steps_.empty(); });
            while (!steps_.empty()) {
                auto step = std::move(steps_.front());
                steps_.pop_front();
                lock.unlock();
                step();
                lock.lock();
            }
            lock.unlock();
            relay_.ShowPending();  // the timer's work
            lock.lock();
        }
    }
};

// Records which thread each call of the window came on.
class ThreadCheckingWindow final : public Progress {
public:
    void ShowStatus(const std::string& action, const std::string& d1, const std::string& d2,
                    const std::string& d3) override {
        Note();
        record.ShowStatus(action, d1, d2, d3);
    }
    void ShowAction(const std::string& action) override {
        Note();
        record.ShowAction(action);
    }
    void SetProgressPercent(int percent) override {
        Note();
        record.SetProgressPercent(percent);
    }
    void BeginRun() override {
        Note();
        record.BeginRun();
    }
    void EndRun() override {
        Note();
        record.EndRun();
    }
    bool AskInstallConflict(const VersionConflictInfo& conflict) override {
        Note();
        return record.AskInstallConflict(conflict);
    }
    void ShowProblems(const std::string& message) override {
        Note();
        record.ShowProblems(message);
    }
    void ShowFinish(const std::string& text, bool install) override {
        Note();
        record.ShowFinish(text, install);
    }

    RecordingProgress record;  // touched by the window thread only
    std::mutex mutex;
    std::set<std::thread::id> threads;

private:
    void Note() {
        std::lock_guard lock(mutex);
        threads.insert(std::this_thread::get_id());
    }
};

TEST(ProgressRelay, ARunOnItsOwnThreadReachesTheWindowOnlyOnTheWindowThread) {
    ThreadCheckingWindow window;
    WindowThread* handTo = nullptr;
    ProgressRelay relay(window, [&](const std::function<void()>& step) { handTo->Run(step); });
    WindowThread windowThread(relay);  // stops before the relay goes
    handTo = &windowThread;

    constexpr int kFiles = 20000;
    std::thread run([&] {
        relay.BeginRun();
        for (int i = 0; i < kFiles; ++i) {
            relay.ShowStatus("Copying file:", "f" + std::to_string(i), "to:", "C:\\T\\f" + std::to_string(i));
            relay.SetProgressPercent(i * 100 / kFiles);
        }
        relay.EndRun();
        relay.ShowFinish("Done.", true);
    });
    run.join();

    std::lock_guard lock(window.mutex);
    EXPECT_EQ(window.threads, (std::set<std::thread::id>{windowThread.Id()}));
    const auto& events = window.record.events;
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "begin");
    EXPECT_EQ(events[events.size() - 2], "end");
    EXPECT_EQ(events.back(), "finish install Done.");
    ASSERT_FALSE(window.record.statuses.empty());
    EXPECT_EQ(window.record.statuses.back(),
              (Lines{"Copying file:", "f" + std::to_string(kFiles - 1), "to:", "C:\\T\\f" + std::to_string(kFiles - 1)}))
        << "the last file is on show when the run ends";
    EXPECT_EQ(window.record.percents.back(), (kFiles - 1) * 100 / kFiles);
    EXPECT_LT(window.record.statuses.size(), static_cast<std::size_t>(kFiles)) << "statuses were gathered up";
}

}  // namespace
}  // namespace kelsetup::testing
