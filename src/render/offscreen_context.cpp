#include "offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace {

std::string EglError(const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", what, static_cast<unsigned>(eglGetError()));
    return text;
}

// The displays to try, in order: the surfaceless platform, then each device.
std::vector<EGLDisplay> CandidateDisplays() {
    std::vector<EGLDisplay> displays;
    const EGLDisplay surfaceless = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (surfaceless != EGL_NO_DISPLAY) displays.push_back(surfaceless);
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (queryDevices == nullptr) return displays;
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!queryDevices(16, devices, &count)) return displays;
    for (EGLint i = 0; i < count; ++i) {
        const EGLDisplay device = eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
        if (device != EGL_NO_DISPLAY) displays.push_back(device);
    }
    return displays;
}

// EGL gives every context of a platform the same display, and terminating
// it ends them all: it is terminated only when its last context goes.
std::mutex displaysGuard;
std::map<EGLDisplay, int>& DisplayUsers() {
    static std::map<EGLDisplay, int> users;
    return users;
}

bool InitializeDisplay(EGLDisplay display) {
    const std::lock_guard<std::mutex> lock(displaysGuard);
    if (DisplayUsers()[display] > 0 || eglInitialize(display, nullptr, nullptr)) {
        ++DisplayUsers()[display];
        return true;
    }
    return false;
}

void TerminateDisplay(EGLDisplay display) {
    const std::lock_guard<std::mutex> lock(displaysGuard);
    if (--DisplayUsers()[display] > 0) return;
    DisplayUsers().erase(display);
    eglTerminate(display);
}

}  // namespace

OffscreenContext::OffscreenContext() {
    for (EGLDisplay display : CandidateDisplays()) {
        if (TryDisplay(display)) return;
    }
    if (error_.empty()) error_ = "EGL offers no display to draw with";
}

bool OffscreenContext::TryDisplay(void* candidate) {
    const EGLDisplay display = candidate;
    if (!InitializeDisplay(display)) {
        error_ = EglError("eglInitialize");
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error_ = EglError("eglBindAPI(OpenGL)");
        TerminateDisplay(display);
        return false;
    }
    // No configuration and no surface: the pictures go to framebuffer
    // objects of their own.
    const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                 EGL_NONE};
    const EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        error_ = EglError("eglCreateContext");
        TerminateDisplay(display);
        return false;
    }
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error_ = EglError("eglMakeCurrent");
        eglDestroyContext(display, context);
        TerminateDisplay(display);
        return false;
    }
    display_ = display;
    context_ = context;
    error_.clear();
    return true;
}

OffscreenContext::~OffscreenContext() {
    if (context_ == nullptr) return;
    if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    TerminateDisplay(display_);
}

bool OffscreenContext::MakeCurrent() {
    if (context_ == nullptr) return false;
    if (eglGetCurrentContext() == context_) return true;
    if (eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return true;
    error_ = EglError("eglMakeCurrent");
    return false;
}

void OffscreenContext::Release() {
    if (context_ != nullptr && eglGetCurrentContext() == context_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
}
