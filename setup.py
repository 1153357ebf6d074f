"""pip install . : the pelorin package, its _pelorin extension built by the
project's own CMake build (the libraries it links and nothing more), with
the Debian packages scripts/install-deps installs. Nothing is downloaded:
install with --no-build-isolation, in a venv made with
--system-site-packages so that Debian's numpy is seen."""

import os
import pathlib
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
(ROOT / "build-python").mkdir(exist_ok=True)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, extension):
        package = pathlib.Path(self.get_ext_fullpath(extension.name)).resolve().parent
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        jobs = os.environ.get("PELORIN_BUILD_JOBS", "2")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        "-DBUILD_TESTING=OFF", f"-DPython_EXECUTABLE={sys.executable}",
                        f"-DPELORIN_PYTHON_PACKAGE_DIR={package}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_pelorin", "-j", jobs], check=True)


setup(
    name="pelorin",
    version="0.1.0",
    description="Square grids of whole-number heights drawn as columns of lit spheres, offscreen",
    packages=["pelorin"],
    package_dir={"": "python"},
    ext_modules=[CMakeExtension("pelorin._pelorin")],
    cmdclass={"build_ext": CMakeBuild},
    install_requires=["numpy"],
    python_requires=">=3.9",
    zip_safe=False,
    # Apart from the CMake build of `make`, which is build/.
    options={"build": {"build_base": "build-python"}, "egg_info": {"egg_base": "build-python"}},
)
