"""Builds the Python package's extension module with the project's CMake.

The module is one CMake target (python/CMakeLists.txt) made from the same
sources as the libraries, in a tree of its own with no tests and no hosts,
then copied to where setuptools puts the extension.
"""
import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        tree = Path(self.build_temp).resolve() / "cmake"
        jobs = os.environ.get("Z80HOME_JOBS", str(os.cpu_count() or 1))
        subprocess.run(
            ["cmake", "-S", str(ROOT), "-B", str(tree), "-DCMAKE_BUILD_TYPE=Release",
             "-DZ80HOME_TESTS=OFF", "-DZ80HOME_HOSTS=OFF", "-DZ80HOME_PYTHON=ON",
             f"-DPython_EXECUTABLE={sys.executable}"],
            check=True)
        subprocess.run(["cmake", "--build", str(tree), "-j", jobs, "--target", "_machine"],
                       check=True)
        built = next((tree / "python" / "z80home").glob("_machine*.so"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    ext_modules=[Extension("z80home._machine", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # The project's CMake tree is build/: setuptools keeps out of it.
    options={"build": {"build_base": "build-python"}, "egg_info": {"egg_base": "build-python"}},
)
