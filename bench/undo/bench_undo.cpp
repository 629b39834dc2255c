// Undo benchmark: an editor (offscreen, on the fake desktop) holding 10,000
// annotations, a third each distance markers, colour markers and notes. For
// one step of each kind (draw, move, recolour, clear a background, type in a
// note, edit a label's text, delete) it times the user's action with its
// recording, undo and redo, and reports the bytes the step keeps. The peer,
// measured in the same run on the same editor, is the same action recorded by
// full snapshots (every annotation taken and compared, as the history did
// before it was told what an action touched). A left press, which keeps the
// point Escape goes back to, and Escape itself are timed the same two ways.
// Goals: a step recorded under 2 ms; bytes per step proportional to what changed.

#include <QApplication>
#include <Qt>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchMarkup.h"
#include "FakeDesktop.h"
#include "editor/Form1.h"
#include "platform/Screen.h"
#include "shell/App.h"

namespace {

using Clock = std::chrono::steady_clock;

double Us(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

double Median(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

struct StepResult {
    double recordUs = 0, undoUs = 0, redoUs = 0;
    size_t bytes = 0, items = 0;
};

/// Runs `action` (a user action through the wired handlers) `runs` times, each
/// followed by an undo and a redo, and takes the medians.
StepResult Measure(orv::Form1& ed, const std::function<void(int)>& action, int runs) {
    std::vector<double> record, undo, redo;
    StepResult r;
    for (int k = 0; k < runs; ++k) {
        const size_t steps = ed.history.UndoCount();
        auto a = Clock::now();
        action(k);
        record.push_back(Us(a, Clock::now()));
        if (ed.history.UndoCount() != steps + 1) {
            std::printf("  (run %d recorded no step)\n", k);
            continue;
        }
        r.bytes = ed.history.Last()->Bytes();
        r.items = ed.history.Last()->items.size();
        a = Clock::now();
        ed.history.Undo();
        undo.push_back(Us(a, Clock::now()));
        a = Clock::now();
        ed.history.Redo();
        redo.push_back(Us(a, Clock::now()));
    }
    r.recordUs = Median(record);
    r.undoUs = undo.empty() ? 0 : Median(undo);
    r.redoUs = redo.empty() ? 0 : Median(redo);
    return r;
}

std::vector<int> Loaded(const orv::ControlArray<orv::Label>& a) {
    std::vector<int> out;
    a.ForEach([&](const orv::Label& c) { out.push_back(c.Index); });
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int count = argc > 1 ? std::max(300, std::atoi(argv[1])) : 10000;
    const int runs = 21;
    orv::Screen() = orv::ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    orv::test::FakeDesktop desktop;
    orv::App app(desktop, QString());
    orv::Form1& ed = app.Editor();
    ed.Timer2.SetEnabled(false);
    ed.Timer3.SetEnabled(false);
    QImage picture(3840, 2160, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ed.Picture2.SetPicture(picture);
    // Spread over the 3840 x 2160 picture.
    orv::bench::DrawAnnotations(ed, count, {120, 100, 150, 150, 450, 300, 300, 150});
    ed.history.Clear();

    // The peer: a full snapshot, its time and what it holds.
    std::vector<double> takes;
    orv::AnnotationSnapshot full;
    for (int k = 0; k < runs; ++k) {
        const auto a = Clock::now();
        full = ed.annotations.Take();
        takes.push_back(Us(a, Clock::now()));
    }
    const double takeUs = Median(takes);
    const size_t fullBytes = orv::Difference(orv::AnnotationSnapshot{}, full).Bytes();

    const auto distances = Loaded(ed.aapx);
    const auto colours = Loaded(ed.co);
    std::printf("%zu annotations (%zu distance, %zu colour markers, %zu notes)\n",
                full.Items.size(), distances.size(), colours.size(),
                full.Items.size() - distances.size() - colours.size());
    std::printf("full snapshot (peer): Take %.1f us, %zu bytes\n\n", takeUs, fullBytes);

    const auto notes = Loaded(ed.bzz);
    // A length label still there (the deletes take some away), from a seed.
    const auto length = [&](int seed) -> orv::Label& {
        for (size_t i = static_cast<size_t>(seed);; ++i)
            if (orv::Label* l = ed.aapx.Find(distances[i % distances.size()])) return *l;
    };
    const auto drag = [&](orv::Label& label) {
        label.MouseDown({1, 0, 10, 10});
        label.MouseMove({1, 0, 40, 25});
        label.MouseUp({1, 0, 40, 25});
    };
    const auto menu = [&](orv::Label& label, const char* item) {
        desktop.menuChoices.push_back(QString::fromLatin1(item));
        label.MouseDown({2, 0, 5, 5});
    };
    struct Case {
        const char* name;
        std::function<void(int)> action;
    } cases[] = {
        {"draw",
         [&](int k) {
             ed.Command3_Click();
             const float x = 600.0f + 30.0f * static_cast<float>(k);
             ed.Picture2.MouseDown({1, 0, x, 900});
             for (int m = 0; m < 2; ++m) {
                 ed.Picture2.MouseMove({1, 0, x + 900, 900});
                 ed.Timer1_Timer();
             }
             ed.Picture2.MouseUp({1, 0, x + 900, 900});
         }},
        {"move a label", [&](int k) { drag(length(k * 37)); }},
        {"recolour",
         [&](int k) {
             desktop.colourChoices.push_back(orv::RGB(k * 11 % 256, 40, 200));
             menu(ed.co(colours[(k * 53) % colours.size()]), "delys");
         }},
        {"clear backgr.", [&](int k) { menu(length(k * 41 + 3), "tmbjs"); }},
        {"type in note",
         [&](int k) {
             orv::TextBox& box = ed.bz(notes[(k * 29) % notes.size()]);
             box.SetText(box.Text() + QStringLiteral("x"));
         }},
        {"label text",
         [&](int k) {
             menu(length(k * 43 + 1), "shizhi");
             ed.shuzhi.SetText(QStringLiteral("%1 mm").arg(k));
             ed.szz.Click();
         }},
        {"delete", [&](int k) { menu(length(k * 71 + 5), "Deleteline"); }},
    };
    std::printf(
        "A step: the user's action with its recording, then its undo and redo (medians\n"
        "of %d). Peer: the same action recorded by full snapshots.\n\n",
        runs);
    std::printf("%-14s %10s %10s %8s %9s %9s %6s %9s   %s\n", "step", "record us", "peer us",
                "ratio", "undo us", "redo us", "items", "bytes", "bytes against the full snapshot");
    double worst = 0, worstRecord = 0;
    for (const Case& c : cases) {
        ed.history.SetRecording(orv::Recording::Touched);
        const StepResult r = Measure(ed, c.action, runs);
        ed.history.SetRecording(orv::Recording::FullSnapshots);
        const StepResult peer = Measure(
            ed, [&](int k) { c.action(k + runs); }, runs);
        ed.history.SetRecording(orv::Recording::Touched);
        worst = std::max({worst, r.undoUs, r.redoUs});
        worstRecord = std::max(worstRecord, r.recordUs);
        std::printf("%-14s %10.1f %10.1f %7.4fx %9.1f %9.1f %6zu %9zu   %.5fx\n", c.name,
                    r.recordUs, peer.recordUs, r.recordUs / peer.recordUs, r.undoUs, r.redoUs,
                    r.items, r.bytes, double(r.bytes) / double(fullBytes));
    }

    // A left press keeps the point Escape puts back; Escape puts it back.
    const auto pressAndEscape = [&](orv::Recording how, double& pressUs, double& escapeUs) {
        ed.history.SetRecording(how);
        std::vector<double> press, escape;
        for (int k = 0; k < runs; ++k) {
            orv::Label& label = length(k * 59 + 7);
            auto a = Clock::now();
            label.MouseDown({1, 0, 10, 10});
            press.push_back(Us(a, Clock::now()));
            label.MouseMove({1, 0, 60, 45});
            a = Clock::now();
            ed.Key(Qt::Key_Escape, 0, true);
            escape.push_back(Us(a, Clock::now()));
            label.MouseUp({1, 0, 60, 45});
        }
        pressUs = Median(press);
        escapeUs = Median(escape);
        ed.history.SetRecording(orv::Recording::Touched);
    };
    double pressUs = 0, escapeUs = 0, peerPressUs = 0, peerEscapeUs = 0;
    const size_t stepsBefore = ed.history.UndoCount();
    pressAndEscape(orv::Recording::Touched, pressUs, escapeUs);
    pressAndEscape(orv::Recording::FullSnapshots, peerPressUs, peerEscapeUs);
    std::printf("%-14s %10.1f %10.1f %7.4fx\n", "left press", pressUs, peerPressUs,
                pressUs / peerPressUs);
    std::printf("%-14s %10.1f %10.1f %7.4fx%s\n", "Escape", escapeUs, peerEscapeUs,
                escapeUs / peerEscapeUs,
                ed.history.UndoCount() == stepsBefore ? "" : "   (a cancelled drag left a step!)");
    worstRecord = std::max({worstRecord, pressUs, escapeUs});

    std::printf("\nslowest recording, press or Escape: %.1f us (goal: under 2000 us)\n",
                worstRecord);
    std::printf("slowest undo or redo of one step: %.1f us (goal: under 2000 us)\n", worst);
    return 0;
}
