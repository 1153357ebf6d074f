// The _pelorin extension: the scene core drawn offscreen, for Python. The
// pythonic surface (keywords as Python values, the camera as an object) is
// the pelorin package's; here are the scene, the grid and the files.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "array_grid.h"
#include "data_file.h"
#include "destination_check.h"
#include "film.h"
#include "grid_reading.h"
#include "grid_text.h"
#include "input_file.h"
#include "keyword_settings.h"
#include "npy_grid.h"
#include "offscreen_scene.h"
#include "point_limit.h"
#include "render_options.h"
#include "series/frame_loader.h"
#include "text_file.h"

namespace py = pybind11;

namespace {

// One scene draws at a time: each has a context of its own, but the
// contexts share the EGL display, and the drawing is no faster in two.
std::mutex drawing;

// The reports of a scene, from the drawing thread and from the note a slow
// preparation writes on a thread of its own. Notes of progress are not
// kept: Python is told what went wrong, not how far it got.
class KeptReports : public Diagnostics {
public:
    void Report(Severity severity, const std::string& text) override {
        if (severity == Severity::note || severity == Severity::silent) return;
        const std::lock_guard<std::mutex> lock(guard_);
        (severity == Severity::error ? errors_ : warnings_).push_back(text);
    }
    std::vector<std::string> TakeWarnings() {
        const std::lock_guard<std::mutex> lock(guard_);
        return std::move(warnings_);
    }
    std::string FirstError() {
        const std::lock_guard<std::mutex> lock(guard_);
        return errors_.empty() ? "" : errors_.front();
    }

private:
    std::mutex guard_;
    std::vector<std::string> warnings_;
    std::vector<std::string> errors_;
};

[[noreturn]] void RaiseOsError(const std::string& text) {
    PyErr_SetString(PyExc_OSError, text.c_str());
    throw py::error_already_set();
}

// The cells of `heights`, which the package has made C-contiguous in the
// machine's byte order where it could.
ArrayCells CellsOf(const py::array& heights) {
    if (heights.ndim() != 2) {
        throw py::value_error("heights: a " + std::to_string(heights.ndim()) +
                              "-dimensional array; a grid is a 2-dimensional one (rows, columns)");
    }
    const char kind = heights.dtype().kind();
    if (kind != 'i' && kind != 'u') {
        throw py::value_error("heights: an array of " + std::string(py::str(heights.dtype())) +
                              "; levels are whole numbers: give an integer array (int8 to int64, signed or unsigned)");
    }
    const bool native = heights.dtype().byteorder() != '>';
    if (!native || !(heights.flags() & py::array::c_style)) {
        throw py::value_error("heights: the array must be C-contiguous in the machine's byte order");
    }
    ArrayCells cells;
    cells.data = heights.data();
    cells.kind = kind;
    cells.itemSize = static_cast<std::size_t>(heights.itemsize());
    cells.rows = static_cast<std::int64_t>(heights.shape(0));
    cells.columns = static_cast<std::int64_t>(heights.shape(1));
    return cells;
}

HeightGrid GridOf(const py::array& heights) {
    ArrayGrid made = GridOfArray(CellsOf(heights));
    if (!made.refused.empty()) throw py::value_error("heights: " + made.refused);
    return std::move(made.grid);
}

template <typename Reading>
void RaiseIfRefused(const Reading& reading) {
    if (!reading.unknown.empty()) throw py::type_error(reading.unknown);
    if (!reading.refused.empty()) throw py::value_error(reading.refused);
}

// `image` as an array of rows from the top, RGBA.
// What kept a scene from starting: the first error it reported, else the
// missing context; "" when it started.
std::string StartProblem(const OffscreenScene& scene, KeptReports& reports) {
    std::string error = reports.FirstError();
    if (error.empty() && !scene.ok()) {
        error = "no OpenGL context could be made without a display: " + scene.error() +
                " (EGL's surfaceless platform, in Debian's libegl-mesa0, or a GPU driver's EGL is needed)";
    }
    return error;
}

py::array_t<std::uint8_t> ArrayOf(const Image& image) {
    py::array_t<std::uint8_t> pixels(std::vector<py::ssize_t>{image.height, image.width, 4});
    std::uint8_t* out = pixels.mutable_data();
    const std::size_t width = static_cast<std::size_t>(image.width);
    for (int row = 0; row < image.height; ++row) {
        const int from = image.bottomUp ? image.height - 1 - row : row;
        const unsigned char* in = &image.pixels[static_cast<std::size_t>(from) * width * image.channels];
        for (std::size_t x = 0; x < width; ++x, in += image.channels, out += 4) {
            out[0] = in[0], out[1] = in[1], out[2] = in[2];
            out[3] = image.channels == 4 ? in[3] : 255;
        }
    }
    return pixels;
}

// What the picture is asked, checked as pelorin-render checks its options.
struct Request {
    PictureRequest picture;

    Request(int width, int height, int supersample, bool transparent) {
        const auto side = [](int value) { return value >= 1 && value <= largestPictureSide; };
        if (!side(width) || !side(height)) {
            throw py::value_error("size: " + std::to_string(width) + "x" + std::to_string(height) +
                                  " is not a picture size; each side is from 1 to " +
                                  std::to_string(largestPictureSide));
        }
        if (supersample < 1 || supersample > largestSupersample) {
            throw py::value_error("supersample: " + std::to_string(supersample) + " is not a whole number from 1 to " +
                                  std::to_string(largestSupersample));
        }
        picture = {width, height, supersample, transparent};
    }
};

// A scene made ready once and drawn as often as asked. The array it shows
// is kept, and viewed rather than copied where it holds int32 heights.
class PythonScene {
public:
    PythonScene(const py::array& heights, const Keywords& keywords) : heights_(heights) {
        const KeywordReading reading = SettingsFromKeywords(keywords);
        RaiseIfRefused(reading);
        grid_ = GridOf(heights_);
        {
            py::gil_scoped_release released;
            const std::lock_guard<std::mutex> lock(drawing);
            scene_ = std::make_unique<OffscreenScene>(reading.settings, grid_, reports_);
            scene_->Release();
        }
        const std::string error = StartProblem(*scene_, reports_);
        if (error.empty()) return;
        Forget();
        throw std::runtime_error(error);
    }

    ~PythonScene() { Forget(); }

    std::vector<py::array_t<std::uint8_t>> Draw(const Keywords& camera, int width, int height, int supersample,
                                                bool transparent, int turns, const std::string& path) {
        const Request request(width, height, supersample, transparent);
        const CameraReading keys = CameraFromKeywords(camera);
        RaiseIfRefused(keys);
        if (!path.empty()) {
            const std::string problem = DestinationProblem(path);
            if (!problem.empty()) RaiseOsError(problem);
        }
        std::vector<Image> images;
        std::string error;
        {
            py::gil_scoped_release released;
            const std::lock_guard<std::mutex> lock(drawing);
            if (scene_->MakeCurrent()) {
                scene_->SetCameraKeys(keys.keys);
                for (int turn = 0; turn < std::max(turns, 1) && error.empty(); ++turn) {
                    images.push_back(scene_->Draw(scene_->View(width, height, turn, turns), request.picture));
                    if (images.back().pixels.empty()) error = scene_->pictureError();
                }
                scene_->Release();
            } else {
                error = "the OpenGL context cannot be taken: " + scene_->error();
            }
        }
        if (!error.empty()) throw std::runtime_error(error);
        if (!path.empty()) {
            const std::string problem = WritePng(path, images.front());
            if (!problem.empty()) RaiseOsError(problem);
        }
        std::vector<py::array_t<std::uint8_t>> pictures;
        for (const Image& image : images) pictures.push_back(ArrayOf(image));
        return pictures;
    }

    // The camera pictures of width x height open with: azimuth and
    // elevation in degrees, distance, and the look-at point.
    py::tuple OpeningCamera(const Keywords& camera, int width, int height) {
        const Request request(width, height, 1, false);
        const CameraReading keys = CameraFromKeywords(camera);
        RaiseIfRefused(keys);
        OrbitCamera opening;
        {
            py::gil_scoped_release released;
            const std::lock_guard<std::mutex> lock(drawing);
            scene_->MakeCurrent();
            scene_->SetCameraKeys(keys.keys);
            opening = scene_->View(width, height).camera;
            scene_->Release();
        }
        const double degrees = 180 / M_PI;
        return py::make_tuple(opening.theta * degrees, 90 - opening.phi * degrees, opening.distance,
                              py::make_tuple(opening.centre[0], opening.centre[1], opening.centre[2]));
    }

    std::vector<std::string> TakeWarnings() { return reports_.TakeWarnings(); }

private:
    // The scene's objects go with its context current, and no other
    // scene drawing.
    void Forget() {
        const std::lock_guard<std::mutex> lock(drawing);
        scene_.reset();
    }

    py::array heights_;
    HeightGrid grid_;
    KeptReports reports_;
    std::unique_ptr<OffscreenScene> scene_;
};

// A grid owning a copy of its cells: a generator may fill one array again
// for each step, and the frame shown must not change under the scene.
HeightGrid OwnedGridOf(const py::array& heights) {
    HeightGrid grid = GridOf(heights);
    if (grid.heights.empty() && !grid.empty()) grid.heights.assign(grid.cells(), grid.cells() + grid.cellCount());
    HeightGrid owned;
    owned.columns = grid.columns;
    owned.rows = grid.rows;
    owned.heights = std::move(grid.heights);
    return owned;
}

// Frames shown one after another in one prepared scene, as pelorin-render
// draws a series: the camera is the opening frame's (refitted as frames
// grow with fit-view = grow), the colour range the opening frame's unless
// the keys give one, and a picture size fixed at the start.
class PythonFilm {
public:
    PythonFilm(const py::array& opening, const Keywords& keywords, const Keywords& camera, int width, int height,
               int supersample)
        : request_(width, height, supersample, false), opening_(OwnedGridOf(opening)) {
        const KeywordReading reading = SettingsFromKeywords(keywords);
        RaiseIfRefused(reading);
        const CameraReading keys = CameraFromKeywords(camera);
        RaiseIfRefused(keys);
        {
            py::gil_scoped_release released;
            const std::lock_guard<std::mutex> lock(drawing);
            scene_ = std::make_unique<OffscreenScene>(reading.settings, opening_, reports_);
            if (scene_->ok() && reports_.FirstError().empty()) {
                scene_->SetCameraKeys(keys.keys);
                scene_->KeepColoursForFrames();
                // The camera is taken now, from the opening frame: a worker
                // drawing a range of a series shows another frame first.
                scene_->View(width, height);
            }
            scene_->Release();
        }
        const std::string error = StartProblem(*scene_, reports_);
        if (error.empty()) return;
        Forget();
        throw std::runtime_error(error);
    }

    ~PythonFilm() { Forget(); }

    // Shows `heights` in place of the frame on show. It is made ready (for
    // the impostors, its spheres placed) before the scene is taken, so
    // another scene may draw meanwhile.
    void Show(const py::array& heights, int number) {
        HeightGrid grid = OwnedGridOf(heights);
        std::string problem;
        {
            py::gil_scoped_release released;
            std::unique_ptr<LoadedFrame> frame =
                FrameOfGrid(number, "frame " + std::to_string(number), std::move(grid), scene_->Preparation());
            if (Unreadable(*frame)) {
                problem = FrameProblem(*frame);
            } else {
                const std::lock_guard<std::mutex> lock(drawing);
                if (scene_->MakeCurrent()) {
                    scene_->ShowFrame(*frame);
                    scene_->Release();
                    // The scene draws from it until the next one is shown.
                    shown_ = std::move(frame);
                } else {
                    problem = "the OpenGL context cannot be taken: " + scene_->error();
                }
            }
        }
        if (!problem.empty()) throw std::runtime_error(problem);
    }

    // The picture of the frame on show, frame `number` of `frames` for the
    // caption (whose ${file} is `file`), also written as a PNG at `path`
    // unless that is "".
    py::array_t<std::uint8_t> Draw(int number, int frames, const std::string& file, const std::string& path) {
        if (!path.empty()) {
            const std::string problem = DestinationProblem(path);
            if (!problem.empty()) RaiseOsError(problem);
        }
        Image image;
        std::string error;
        {
            py::gil_scoped_release released;
            {
                const std::lock_guard<std::mutex> lock(drawing);
                if (scene_->MakeCurrent()) {
                    scene_->SetFrameFacts(FactsFor(number, std::max(frames, number), file));
                    const PictureRequest& picture = request_.picture;
                    image = scene_->Draw(scene_->View(picture.width, picture.height), picture);
                    if (image.pixels.empty()) error = scene_->pictureError();
                    scene_->Release();
                } else {
                    error = "the OpenGL context cannot be taken: " + scene_->error();
                }
            }
            // Compressed with the scene free for others.
            if (error.empty() && !path.empty()) error = WritePng(path, image);
        }
        if (!error.empty()) {
            if (image.pixels.empty()) throw std::runtime_error(error);
            RaiseOsError(error);
        }
        return ArrayOf(image);
    }

    std::vector<std::string> TakeWarnings() { return reports_.TakeWarnings(); }

private:
    void Forget() {
        const std::lock_guard<std::mutex> lock(drawing);
        scene_.reset();
        shown_.reset();
    }

    Request request_;
    HeightGrid opening_;
    KeptReports reports_;
    std::unique_ptr<OffscreenScene> scene_;
    std::unique_ptr<LoadedFrame> shown_;
};

// The keys of config.txt the keywords stand for, with their values as
// given, once the keywords are read as a scene would read them: for a
// config.txt written for the viewer.
Keywords ConfigKeys(const Keywords& keywords, const Keywords& camera) {
    RaiseIfRefused(SettingsFromKeywords(keywords));
    RaiseIfRefused(CameraFromKeywords(camera));
    Keywords keys;
    for (const auto& [keyword, value] : keywords) keys.emplace_back(KeyOfKeyword(keyword), value);
    for (const auto& [keyword, value] : camera) keys.emplace_back("camera/" + keyword, value);
    return keys;
}

// Encodes the pictures written to `output` numbered 1 to `pictures` into
// the film at `path`, as pelorin-render --video does.
void EncodeNumberedFilm(const std::string& output, int pictures, double framesPerSecond, const std::string& path) {
    if (!(framesPerSecond >= lowestFilmRate && framesPerSecond <= highestFilmRate)) {
        throw py::value_error("fps: " + FilmRateText(framesPerSecond) + " is not a number of pictures a second from " +
                              FilmRateText(lowestFilmRate) + " to " + FilmRateText(highestFilmRate));
    }
    std::string error;
    {
        py::gil_scoped_release released;
        error = EncodeFilm(NumberedPattern(output), pictures, FilmRateText(framesPerSecond), path);
    }
    if (!error.empty()) RaiseOsError(error);
}

// A data file's grid, as the programs read it, and what they would warn of.
py::tuple ReadGrid(const std::string& path, const Keywords& keywords) {
    const KeywordReading reading = SettingsFromKeywords(keywords);
    RaiseIfRefused(reading);
    std::ifstream in;
    const InputOpening opening = OpenInput(in, path);
    if (opening == InputOpening::missing) {
        PyErr_SetString(PyExc_FileNotFoundError, ("data file '" + path + "' cannot be opened").c_str());
        throw py::error_already_set();
    }
    if (opening == InputOpening::not_regular) RaiseOsError("data file '" + path + "' is not a regular file");
    auto grid = std::make_unique<HeightGrid>();
    GridReading read;
    {
        py::gil_scoped_release released;
        read = ReadGridFile(in, path, *grid, MaxLoadableCells(), LevelMappingOf(reading.settings.series));
    }
    if (!read.refused.empty()) throw py::value_error("data file '" + path + "': " + read.refused);
    const LoadOutcome& outcome = read.outcome;
    if (outcome.end == LoadOutcome::End::refused) {
        throw py::value_error("data file '" + path + "': the height at row " + std::to_string(outcome.row + 1) +
                              ", column " + std::to_string(outcome.column + 1) + " brings the cell count to " +
                              std::to_string(outcome.needed) + ", more than the " +
                              std::to_string(MaxLoadableCells()) + " cells this machine's memory allows");
    }
    std::vector<std::string> warnings;
    if (outcome.end == LoadOutcome::End::dataEnded)
        warnings.push_back(DataEndedText(path, outcome.row, outcome.column, grid->spheres()));
    if (read.belowLevelZero > 0)
        warnings.push_back("data file '" + path + "': " + BelowLevelZeroNote(read.belowLevelZero));
    // The array takes the grid's own memory.
    HeightGrid* owner = grid.release();
    py::capsule free(owner, [](void* held) { delete static_cast<HeightGrid*>(held); });
    py::array_t<std::int32_t> heights(std::vector<py::ssize_t>{owner->rows, owner->columns}, owner->heights.data(), free);
    return py::make_tuple(heights, warnings);
}

// Writes `heights` as a data file: a .npy array by that ending, else the
// text grid, whole or not at all.
void WriteGrid(const std::string& path, const py::array& heights) {
    const HeightGrid grid = GridOf(heights);
    const std::string problem = DestinationProblem(path);
    if (!problem.empty()) RaiseOsError(problem);
    if (IsNpyFile(path)) {
        const std::string failed = WriteNpyGrid(path, grid);
        if (!failed.empty()) RaiseOsError("cannot write '" + path + "': " + failed);
        return;
    }
    if (grid.rows != grid.columns) {
        throw py::value_error("heights: " + std::to_string(grid.rows) + " rows of " + std::to_string(grid.columns) +
                              " cells; the text data file holds a square grid (as many rows as a row has "
                              "heights): write a .npy file instead");
    }
    const std::string failed = WriteTextFile(path, GridText(grid));
    if (!failed.empty()) RaiseOsError(failed);
}

}  // namespace

PYBIND11_MODULE(_pelorin, module) {
    module.doc() = "Pelorin's scene core, drawn offscreen; use the pelorin package.";
    py::class_<PythonScene>(module, "Scene")
        .def(py::init<const py::array&, const Keywords&>(), py::arg("heights"), py::arg("keywords"))
        .def("draw", &PythonScene::Draw, py::arg("camera"), py::arg("width"), py::arg("height"),
             py::arg("supersample"), py::arg("transparent"), py::arg("turns"), py::arg("path"))
        .def("opening_camera", &PythonScene::OpeningCamera, py::arg("camera"), py::arg("width"), py::arg("height"))
        .def("take_warnings", &PythonScene::TakeWarnings);
    py::class_<PythonFilm>(module, "Film")
        .def(py::init<const py::array&, const Keywords&, const Keywords&, int, int, int>(), py::arg("opening"),
             py::arg("keywords"), py::arg("camera"), py::arg("width"), py::arg("height"), py::arg("supersample"))
        .def("show", &PythonFilm::Show, py::arg("heights"), py::arg("number"))
        .def("draw", &PythonFilm::Draw, py::arg("number"), py::arg("frames"), py::arg("file"), py::arg("path"))
        .def("take_warnings", &PythonFilm::TakeWarnings);
    module.def("config_keys", &ConfigKeys, py::arg("keywords"), py::arg("camera"));
    module.def("numbered_name", &NumberedPictureName, py::arg("output"), py::arg("index"));
    module.def("destination_problem", &DestinationProblem, py::arg("path"));
    module.def("encode_film", &EncodeNumberedFilm, py::arg("output"), py::arg("pictures"), py::arg("fps"),
               py::arg("path"));
    module.def("read_grid", &ReadGrid, py::arg("path"), py::arg("keywords"));
    module.def("write_grid", &WriteGrid, py::arg("path"), py::arg("heights"));
}
