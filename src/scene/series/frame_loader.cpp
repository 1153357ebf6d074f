#include "series/frame_loader.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <new>
#include <stdexcept>
#include <utility>

#include "grid_reading.h"
#include "input_file.h"
#include "point_limit.h"

namespace {

// The lists draw points: a frame read as a grid is turned into them here.
void PointsOfGrid(LoadedFrame& frame, const FramePreparation& preparation) {
    if (preparation.impostors) return;
    if (frame.grid.spheres() > MaxLoadablePoints()) {
        frame.outcome.end = LoadOutcome::End::refused;
        frame.asGrid = false;
    } else {
        WriteGridPoints(frame.grid, frame.x, frame.y, frame.z);
        frame.grid = HeightGrid();
    }
}

// Surveys what was read and, for the impostors, places the spheres; a frame
// refused is left holding nothing.
void Survey(LoadedFrame& frame, const FramePreparation& preparation) {
    if (frame.outcome.end == LoadOutcome::End::refused || !frame.refused.empty()) {
        frame.x.clear(), frame.y.clear(), frame.z.clear();
        frame.grid = HeightGrid();
        return;
    }
    frame.survey = frame.grid.empty() ? SurveyPoints(frame.view()) : SurveyGrid(frame.grid);
    if (preparation.impostors) {
        ApplyFloor(frame.survey, preparation.floor);
        frame.impostors = PlaceImpostors(frame.view(), frame.survey, preparation.radius, preparation.cullHidden,
                                         preparation.levelOfDetail, preparation.occlusion);
    }
}

void ReadPoints(LoadedFrame& frame, const FramePreparation& preparation) {
    std::ifstream in;
    frame.opened = OpenInput(in, frame.file) == InputOpening::opened;
    if (!frame.opened) return;
    // The impostors draw from the heights alone: no point is made.
    frame.asGrid = preparation.impostors || IsGridFile(frame.file);
    if (frame.asGrid) {
        const GridReading reading =
            ReadGridFile(in, frame.file, frame.grid, MaxLoadableCells(), preparation.mapping);
        frame.outcome = reading.outcome;
        frame.refused = reading.refused;
        frame.belowLevelZero = reading.belowLevelZero;
        if (frame.refused.empty()) PointsOfGrid(frame, preparation);
    } else {
        frame.outcome = LoadPoints(in, frame.x, frame.y, frame.z, MaxLoadablePoints());
    }
    Survey(frame, preparation);
}

// Gives back what was read of a frame that memory ran out for, so that the
// frames still held have it; allocates nothing.
void Forget(LoadedFrame& frame) {
    frame.x = std::vector<double>();
    frame.y = std::vector<double>();
    frame.z = std::vector<double>();
    frame.grid = HeightGrid();
    frame.survey = PointSurvey();
    frame.impostors.reset();
    frame.outOfMemory = true;
}

// Runs `make` on `frame`, which memory running out leaves holding nothing.
template <typename Make>
std::unique_ptr<LoadedFrame> MadeOrForgotten(std::unique_ptr<LoadedFrame> frame, Make make) {
    try {
        make(*frame);
    } catch (const std::bad_alloc&) {
        Forget(*frame);
    } catch (const std::length_error&) {  // more than a vector can ever hold
        Forget(*frame);
    }
    return frame;
}

}  // namespace

std::unique_ptr<LoadedFrame> ReadFrame(int index, const std::string& file, const FramePreparation& preparation) {
    auto frame = std::make_unique<LoadedFrame>();
    frame->index = index;
    frame->file = file;
    return MadeOrForgotten(std::move(frame), [&](LoadedFrame& made) { ReadPoints(made, preparation); });
}

std::unique_ptr<LoadedFrame> FrameOfGrid(int index, const std::string& name, HeightGrid grid,
                                         const FramePreparation& preparation) {
    auto frame = std::make_unique<LoadedFrame>();
    frame->index = index;
    frame->file = name;
    frame->opened = true;
    frame->asGrid = true;
    frame->grid = std::move(grid);
    return MadeOrForgotten(std::move(frame), [&](LoadedFrame& made) {
        PointsOfGrid(made, preparation);
        Survey(made, preparation);
    });
}

FrameLoader::FrameLoader(const FramePreparation& preparation)
    : preparation_(preparation), ready_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), worker_([this] { Work(); }) {}

FrameLoader::~FrameLoader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
    if (ready_fd_ >= 0) close(ready_fd_);
}

void FrameLoader::Request(int index, const std::string& file) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ready_ && ready_->index != index) ready_.reset();
        if ((ready_ && ready_->index == index) || reading_ == index) return;
        asked_ = std::make_pair(index, file);
    }
    wake_.notify_one();
}

bool FrameLoader::Pending(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    return (asked_ && asked_->first == index) || reading_ == index || (ready_ && ready_->index == index);
}

std::unique_ptr<LoadedFrame> FrameLoader::Take(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ready_ || ready_->index != index) return nullptr;
    return std::move(ready_);
}

void FrameLoader::Drain() {
    std::uint64_t count = 0;
    if (ready_fd_ >= 0) {
        const ssize_t got = read(ready_fd_, &count, sizeof count);
        static_cast<void>(got);
    }
}

void FrameLoader::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || asked_; });
        if (stopping_) return;
        auto [index, file] = std::move(*asked_);
        asked_.reset();
        reading_ = index;
        lock.unlock();
        std::unique_ptr<LoadedFrame> frame;
        try {
            frame = ReadFrame(index, file, preparation_);
        } catch (...) {
            // Not even the frame's own record could be made; an exception
            // let out of this thread would end the program.
        }
        lock.lock();
        reading_ = -1;
        // A frame asked for meanwhile takes its place: keeping this one too
        // would hold one frame more than the shown, the ready and the read.
        if (asked_) continue;
        ready_ = std::move(frame);
        const std::uint64_t one = 1;
        if (ready_fd_ >= 0) {
            const ssize_t put = write(ready_fd_, &one, sizeof one);
            static_cast<void>(put);
        }
    }
}
