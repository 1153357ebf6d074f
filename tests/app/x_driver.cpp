#include "x_driver.h"

#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "clock.h"
#include "xvfb_server.h"

std::string RunCommand(const std::string& command, int timeoutSeconds) {
    const std::string bounded = "timeout " + std::to_string(timeoutSeconds) + " " + command + " 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(bounded.c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

std::string WaitForWindow(const std::string& title, double timeoutSeconds) {
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    while (MonotonicSeconds() < deadline) {
        std::istringstream ids(RunCommand("xdotool search --onlyvisible --name '^" + title + "$'", 5));
        std::string id;
        if (ids >> id) return id;
        usleep(100 * 1000);
    }
    return "";
}

WindowGeometry GeometryOf(const std::string& window) {
    WindowGeometry g;
    std::istringstream lines(RunCommand("xdotool getwindowgeometry --shell " + window));
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") g.x = value;
        if (key == "Y") g.y = value;
        if (key == "WIDTH") g.width = value;
        if (key == "HEIGHT") g.height = value;
    }
    return g;
}

WindowGeometry WaitForGeometry(const std::string& window, const std::function<bool(const WindowGeometry&)>& wanted,
                               double timeoutSeconds) {
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    WindowGeometry g = GeometryOf(window);
    while (!wanted(g) && MonotonicSeconds() < deadline) {
        usleep(50 * 1000);
        g = GeometryOf(window);
    }
    return g;
}

std::string TitleOf(const std::string& window) {
    std::string title = RunCommand("xdotool getwindowname " + window);
    if (!title.empty() && title.back() == '\n') title.pop_back();
    return title;
}

Picture Screenshot(const std::string& window) {
    // Binary PPM: "P6", width, height, maximum value, one white space, pixels.
    const std::string ppm = RunCommand("import -window " + window + " -depth 8 ppm:-", 15);
    Picture picture;
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> picture.width >> picture.height >> maxValue) || magic != "P6" || maxValue != 255) {
        return {};
    }
    in.get();
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
    if (in.gcount() != static_cast<std::streamsize>(picture.rgb.size())) return {};
    return picture;
}

Picture WaitForChange(const std::string& window, const Picture& before, long minPixels, double timeoutSeconds) {
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    Picture now = Screenshot(window);
    while (DifferingPixels(before, now) <= minPixels && MonotonicSeconds() < deadline) {
        usleep(100 * 1000);
        now = Screenshot(window);
    }
    return now;
}

void TypeKeys(const std::string& window, const std::string& keys) {
    RunCommand("xdotool windowfocus --sync " + window + " key --delay 50 " + keys);
}

void ClickAt(const std::string& window, int x, int y, bool shift) {
    const std::string click = shift ? " keydown shift click 1 keyup shift" : " click 1";
    RunCommand("xdotool windowfocus --sync " + window + " mousemove --window " + window + " " +
               std::to_string(x) + " " + std::to_string(y) + click);
}

void RequestClose(const std::string& window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(window.c_str(), nullptr, 10);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

WindowCreationWatcher::WindowCreationWatcher() {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
}

WindowCreationWatcher::~WindowCreationWatcher() {
    if (display_) XCloseDisplay(display_);
}

bool WindowCreationWatcher::WaitForCreation(double timeoutSeconds) {
    if (!display_) return false;
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    do {
        XSync(display_, False);
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == CreateNotify) return true;
        }
        usleep(5 * 1000);
    } while (MonotonicSeconds() < deadline);
    return false;
}
