#pragma once
// An editor with its real Qt window (offscreen): an 800 x 600 picture on the
// canvas, the window synchronised with the model after every event.

#include <QCoreApplication>
#include <QEvent>
#include <memory>

#include "../editor/CanvasFixture.h"
#include "platform/qt/FormWindow.h"

namespace orv::test {

class WindowedCanvasTest : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(800, 600);
        ed().Visible = true;
        window = std::make_unique<FormWindow>(ed());
        FormWindow::AfterEvent() = [this] { window->Sync(); };
    }
    void TearDown() override {
        FormWindow::AfterEvent() = nullptr;
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::unique_ptr<FormWindow> window;
};

}  // namespace orv::test
