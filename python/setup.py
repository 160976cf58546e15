"""Builds the compiled module with the project's own CMake (the whole checkout, one folder up), so
that pip install ./python gives the module that cmake --install gives."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        if not (ROOT / "CMakeLists.txt").exists():
            raise RuntimeError(
                "tavexplorer is built from the Tav Explorer checkout: run pip install ./python "
                "in it (pip builds in place), not from a copy of the python folder"
            )
        build = Path(self.build_temp).resolve() / "cmake"
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.check_call(
            ["cmake", "-S", str(ROOT), "-B", str(build), *generator,
             "-DCMAKE_BUILD_TYPE=Release", "-DTAV_BUILD_GUI=OFF", "-DTAV_BUILD_TESTS=OFF",
             "-DTAV_BUILD_PYTHON=ON", "-DPython3_EXECUTABLE=" + sys.executable]
        )
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.check_call(
            ["cmake", "--build", str(build), "--target", "_tavexplorer", "-j", jobs]
        )
        built = list((build / "python" / "tavexplorer").glob("_tavexplorer*.so"))
        if not built:
            raise RuntimeError("CMake built no _tavexplorer module: is pybind11 installed?")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(ext_modules=[Extension("tavexplorer._tavexplorer", sources=[])],
      cmdclass={"build_ext": CMakeBuild})
