"""pip install --no-build-isolation ./python: the package verdalis, built
from this source tree without network.

The module verdalis._verdalis is built by the project's own CMake files (the
same target as `make` builds, with the same compile flags), configured for
the interpreter that runs this script: cmake, g++, pybind11-dev and Python's
headers are needed, as for `make`. The library is compiled from src/ into
the build folder of setuptools, and linked in statically, so the installed
package needs nothing of the build tree. With GDAL, GEOS and cairo present
the GIS part (verdalis.prep) is built too.

VERDALIS_CMAKE_BUILD=build (a folder `make` configured) builds the module
there instead, as `make` does, and installs that: quick when it is built
already. VERDALIS_BUILD_JOBS sets the parallel jobs (default: every core).
"""

import importlib.machinery
import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        if not (ROOT / "src" / "library").is_dir():
            sys.exit("verdalis: build from the Verdalis source tree (pip install ./python at its top), "
                     "which holds the library's sources")
        given = os.environ.get("VERDALIS_CMAKE_BUILD")
        if given:
            build = Path(given).resolve()
        else:
            build = Path(self.build_temp).resolve() / "cmake"
            subprocess.check_call(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                                   "-DVERDALIS_TESTS=OFF", "-DVERDALIS_MPI=OFF",
                                   f"-DPython_EXECUTABLE={sys.executable}"])
        jobs = os.environ.get("VERDALIS_BUILD_JOBS", str(os.cpu_count() or 1))
        subprocess.check_call(["cmake", "--build", str(build), "--target", "_verdalis", "-j", jobs])
        suffixes = importlib.machinery.EXTENSION_SUFFIXES
        built = next((f for f in (build / "python" / "verdalis").glob("_verdalis*") if
                      any(f.name == "_verdalis" + suffix for suffix in suffixes)), None)
        if built is None:
            sys.exit(f"verdalis: no module for this interpreter ({sys.executable}) was built in {build}; "
                     "see its configure line \"Python package verdalis\"")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    name="verdalis",
    version="1.1.6",
    description="Habitat connectivity of landscapes: Verdalis in-process (PC, IIC, importances of patches and links)",
    packages=["verdalis"],
    ext_modules=[Extension("verdalis._verdalis", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    python_requires=">=3.8",
    install_requires=["numpy", "pandas"],
    zip_safe=False,
)
