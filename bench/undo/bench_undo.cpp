// Undo benchmark: an editor (offscreen, on the fake desktop) holding 10,000
// annotations, a third each distance markers, colour markers and notes. For
// one step of each kind (move a label, restyle a marker, delete one, draw a
// new one) it times the recording of the user's action, undo and redo, and
// reports the bytes the step keeps. The peer, measured in the same run, is a
// full snapshot of the annotations (Annotations::Take) and what it holds.
// Goals: a step under 2 ms; bytes per step proportional to what changed.

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

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

/// Draws n annotations straight through the canvas handlers, round the tools
/// in turn, spread over a 3840 x 2160 picture; no history is kept meanwhile.
void Fill(orv::Form1& ed, int n) {
    void (orv::Form1::*tools[])() = {&orv::Form1::Command3_Click, &orv::Form1::Command4_Click,
                                     &orv::Form1::Command6_Click};
    for (int k = 0; k < n; ++k) {
        (ed.*tools[k % 3])();
        const float x = 150.0f + 450.0f * static_cast<float>(k % 120);
        const float y = 150.0f + 300.0f * static_cast<float>((k / 120) % 100);
        ed.Picture2_MouseDown({1, 0, x, y});
        for (int m = 0; m < 2; ++m) {
            ed.Picture2_MouseMove({1, 0, x + 300, y + 150});
            ed.Timer1_Timer();
        }
        ed.Picture2_MouseUp({1, 0, x + 300, y + 150});
    }
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
    Fill(ed, count);
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
        {"move a label", [&](int k) { drag(ed.aapx(distances[(k * 37) % distances.size()])); }},
        {"restyle",
         [&](int k) {
             desktop.colourChoices.push_back(orv::RGB(k * 11 % 256, 40, 200));
             menu(ed.co(colours[(k * 53) % colours.size()]), "delys");
         }},
        {"delete",
         [&](int k) { menu(ed.aapx(distances[(k * 71 + 5) % distances.size()]), "Deleteline"); }},
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
    };
    std::printf("%-14s %10s %10s %10s %6s %9s   %s\n", "step", "record us", "undo us", "redo us",
                "items", "bytes", "against the full snapshot (time undo+redo / Take, bytes)");
    double worst = 0;
    for (const Case& c : cases) {
        const StepResult r = Measure(ed, c.action, runs);
        worst = std::max({worst, r.undoUs, r.redoUs});
        std::printf("%-14s %10.1f %10.1f %10.1f %6zu %9zu   %.3fx time, %.5fx bytes\n", c.name,
                    r.recordUs, r.undoUs, r.redoUs, r.items, r.bytes,
                    (r.undoUs + r.redoUs) / takeUs, double(r.bytes) / double(fullBytes));
    }
    std::printf("\nslowest undo or redo of one step: %.1f us (goal: under 2000 us)\n", worst);
    return 0;
}
