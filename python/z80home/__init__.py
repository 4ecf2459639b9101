"""The z80home machine for scripts, tests and notebooks.

A :class:`Machine` runs by the machine's own time: each call runs it to an
exact cycle, or to the end of the first 16 ms slice at which a condition
holds, and nothing runs between calls, so the same calls give the same
machine every time. The library keeps one machine, so a process has one
open Machine; :func:`run_listing` runs a listing in a machine of its own,
for worker processes.
"""
from __future__ import annotations

import io
import os
from pathlib import Path
from typing import TYPE_CHECKING, Optional, Union

import numpy as np

from . import _machine

if TYPE_CHECKING:
    import PIL.Image

__all__ = ["Machine", "Error", "MachineInUse", "StateError", "RecordingError", "run_listing"]

PathLike = Union[str, "os.PathLike[str]"]
ROM_NAMES = ("n80basic.rom", "font.rom")
# How long run_until waits, in the machine's time, unless told.
DEFAULT_TIMEOUT_MS = 60_000


class Error(Exception):
    """A call the machine refused."""


class MachineInUse(Error):
    """A second Machine in a process whose Machine is still open."""


class StateError(Error):
    """A state file that could not be saved or loaded; ``code`` is the library's."""

    def __init__(self, code: int, message: str):
        super().__init__(f"{message} (code {code})")
        self.code = code


class RecordingError(StateError):
    """A recording or replay refused; ``code`` is the library's."""


class Machine:
    """The machine, powered on and paused at its first instruction.

    rom_dir: a folder holding ``n80basic.rom`` and ``font.rom`` (the first
    24,576 and 2,048 bytes of each are taken, a short file filled up with
    zeros); by default the built-in ROM. green, pcg: the green monitor look
    and the character generator. tape: the cassette file. sound: keep the
    beeper's samples for :meth:`take_sound`.
    """

    def __init__(self, rom_dir: Optional[PathLike] = None, green: bool = False,
                 pcg: bool = False, tape: Optional[PathLike] = None, sound: bool = False):
        images = [None, None]
        if rom_dir is not None:
            images = [(Path(rom_dir) / name).read_bytes() for name in ROM_NAMES]
        if _machine.is_open():
            raise MachineInUse(
                "a Machine is already open in this process (the library keeps one machine): "
                "close it first, or run another machine in a worker process")
        _machine.open(images[0], images[1], sound)
        self._open = True
        self._pen_down = False
        try:
            self.green = green
            self.pcg = pcg
            if tape is not None:
                self.tape = tape
        except Exception:
            self.close()
            raise

    # ---- Life ----

    def close(self) -> None:
        """Ends the machine (a recording under way is written); another may then be made."""
        if self._open:
            self._open = False
            _machine.close()

    def __enter__(self) -> "Machine":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __del__(self) -> None:
        if getattr(self, "_open", False):
            self.close()

    def _require_open(self) -> None:
        if not self._open:
            raise Error("the machine is closed")

    def reset(self) -> None:
        """The machine's reset (F9 on the desktop): BASIC keeps its program."""
        self._require_open()
        _machine.reset()

    # ---- Time ----

    @property
    def cycles(self) -> int:
        """The processor's cycles since the module was loaded: the machine's clock."""
        return _machine.cycles()

    @property
    def ticks(self) -> int:
        """The 2 ms ticks the machine has raised since the module was loaded."""
        return _machine.ticks()

    def run(self, cycles: Optional[int] = None, ms: Optional[float] = None) -> None:
        """Runs the given cycles, or milliseconds of the machine's time (1,906.25
        cycles a millisecond with the display on), to the first instruction
        boundary at or after that cycle."""
        if (cycles is None) == (ms is None):
            raise TypeError("run() takes cycles= or ms=, one of them")
        if ms is not None:
            if ms < 0:
                raise ValueError(f"ms must not be negative, not {ms}")
            cycles = round(ms * _machine.cycles_per_ms())
        if cycles < 0:
            raise ValueError(f"cycles must not be negative, not {cycles}")
        self._require_open()
        _machine.run_to(self.cycles + cycles)

    def _limit(self, timeout_ms: float) -> int:
        if timeout_ms < 0:
            raise ValueError(f"timeout_ms must not be negative, not {timeout_ms}")
        self._require_open()
        return self.cycles + round(timeout_ms * _machine.cycles_per_ms())

    def run_until(self, text: str, timeout_ms: float = DEFAULT_TIMEOUT_MS) -> bool:
        """Runs to the end of the first slice (16 ms) at which the screen shows
        text and nothing pasted is left to type, or for timeout_ms of the
        machine's time. True when the text shows."""
        if not text:
            raise ValueError("run_until() needs a text to wait for")
        return _machine.run_until_text(text, self._limit(timeout_ms))

    def run_until_prompt(self, timeout_ms: float = DEFAULT_TIMEOUT_MS) -> bool:
        """Runs to the end of the first slice at which BASIC's ``Ok`` stands
        alone above the cursor with nothing pasted left to type (the machine
        waits for a command), or for timeout_ms of the machine's time. True
        at the prompt."""
        return _machine.run_until_prompt(self._limit(timeout_ms))

    # ---- Input ----

    def type(self, text: str) -> int:
        """Types text on the keyboard at the pace the program reads it (a
        paste: a line break is RETURN, a small letter SHIFT with its key).
        Returns how many characters were skipped, having no key."""
        self._require_open()
        return _machine.paste(text)

    @property
    def typing_left(self) -> int:
        """The characters typed with type() that the machine has not yet read."""
        return _machine.paste_left()

    def cancel_typing(self) -> None:
        """Drops what type() has not yet typed."""
        _machine.cancel_paste()

    def key(self, key: str, down: bool, shift: bool = False, ctrl: bool = False) -> None:
        """Presses (down) or releases a key: a character (``"a"``, ``"?"``,
        which brings its SHIFT) or a key's name as the headless host's
        ``--keys`` takes it (``RETURN``, ``STOP``'s ``END``, ``F1``, ``UP``...)."""
        self._require_open()
        code, its_shift = _machine.key(key)
        _machine.send_key(code, down, shift or its_shift, ctrl)

    def press(self, key: str, ms: float = 50, shift: bool = False, ctrl: bool = False) -> None:
        """Holds a key for ms of the machine's time, then lets it go (see key())."""
        self.key(key, True, shift, ctrl)
        self.run(ms=ms)
        self.key(key, False, shift, ctrl)

    def pen(self, x: int, y: int, down: bool = True) -> None:
        """The light pen at pixel (x, y) of the 640 by 480 picture, pressed
        (down) or lifted there."""
        self._require_open()
        for name, value, top in (("x", x, 640), ("y", y, 480)):
            if not 0 <= value < top:
                raise ValueError(f"{name} must be 0 to {top - 1}, not {value}")
        _machine.pen(down, down and self._pen_down, x, y)
        self._pen_down = down

    # ---- Output ----

    def screen_text(self) -> str:
        """The screen's text, a line a row, trailing spaces trimmed (the
        block and line characters as Unicode)."""
        return _machine.screen_text()

    def screenshot(self, array: bool = False) -> Union["PIL.Image.Image", np.ndarray]:
        """The picture, 640 by 480: a PIL image, or with array=True a NumPy
        array of shape (480, 640, 3), RGB bytes. Each picture drawn moves the
        cursor's blink on, as a frame on the screen does."""
        self._require_open()
        pixels = _machine.frame()
        if array:
            return pixels
        from PIL import Image
        return Image.fromarray(pixels, "RGB")

    def _repr_png_(self) -> bytes:
        out = io.BytesIO()
        self.screenshot().save(out, format="PNG")
        return out.getvalue()

    def take_sound(self) -> np.ndarray:
        """The beeper's samples (16-bit, mono, at sound_rate a second) since
        the last call; the Machine must have been made with sound=True."""
        if not self._sound_kept():
            raise Error("the Machine keeps no sound: make it with sound=True")
        return _machine.take_sound()

    sound_rate: int = _machine.sound_rate()

    def _sound_kept(self) -> bool:
        return self._open and _machine.sound_kept()

    # ---- Insides ----

    @property
    def registers(self) -> dict:
        """The processor's registers by name (af, bc, de, hl, their primes
        af_ ..., ix, iy, sp, pc, i, r, iff1, iff2, im, halted)."""
        return _machine.registers()

    def set_registers(self, **values: int) -> None:
        """Sets the registers named (the names of ``registers``)."""
        self._require_open()
        _machine.set_registers(values)

    def peek(self, address: int, length: int = 1) -> bytes:
        """The bytes the processor reads from address on (ROM or RAM as mapped)."""
        _check_span(address, length)
        return _machine.peek(address, length)

    def poke(self, address: int, data: Union[int, bytes]) -> None:
        """Writes a byte or bytes from address on, as the processor writes."""
        data = bytes([data]) if isinstance(data, int) else bytes(data)
        _check_span(address, len(data))
        self._require_open()
        _machine.poke(address, data)

    @property
    def ports(self) -> dict:
        """The devices' registers as the ports set them (screen mode, colours,
        display, beeper, interrupt mask, cursor, key matrix, DMA channels)."""
        return _machine.ports()

    # ---- Options ----

    @property
    def green(self) -> bool:
        """The green monitor look."""
        return _machine.green()

    @green.setter
    def green(self, on: bool) -> None:
        _machine.set_green(bool(on))

    @property
    def pcg(self) -> bool:
        """The character generator (switching it on fills it with random bytes)."""
        return _machine.pcg()

    @pcg.setter
    def pcg(self, on: bool) -> None:
        _machine.set_pcg(bool(on))

    @property
    def tape(self) -> str:
        """The cassette file ("" for none)."""
        return _machine.tape()

    @tape.setter
    def tape(self, path: PathLike) -> None:
        if not _machine.set_tape(os.fspath(path)):
            raise Error(f"the tape's name is too long to keep whole: {os.fspath(path)[:40]}...")

    # ---- States and recordings ----

    def save_state(self, path: PathLike) -> None:
        """Saves the whole machine to a file; StateError says why not."""
        self._require_open()
        _state_call(_machine.save_state, _machine.state_message, StateError, path)

    def load_state(self, path: PathLike) -> None:
        """Loads a state file; a refused file (StateError, with its code)
        leaves the machine as it was."""
        self._require_open()
        _state_call(_machine.load_state, _machine.state_message, StateError, path)

    def start_recording(self, path: PathLike) -> None:
        """Records the input from now on; the file is written by stop_recording()."""
        self._require_open()
        _state_call(_machine.start_recording, _machine.recording_message, RecordingError, path)

    def stop_recording(self) -> None:
        """Ends the recording and writes its file."""
        _state_call(lambda _: _machine.stop_recording(), _machine.recording_message,
                    RecordingError, "")

    @property
    def recording(self) -> bool:
        """True while a recording is made."""
        return _machine.recording()

    def replay(self, path: PathLike, to_end: bool = True) -> int:
        """Starts a replay (the machine goes to the recording's start and takes
        its input at its cycles) and, with to_end, runs it to its end. Returns
        the cycle at which it ends."""
        self._require_open()
        _state_call(_machine.replay, _machine.recording_message, RecordingError, path)
        end = _machine.replay_end()
        if to_end:
            _machine.run_to(end)
        return end


def _check_span(address: int, length: int) -> None:
    if not 0 <= address <= 0xFFFF:
        raise ValueError(f"address must be 0 to 0xFFFF, not {address:#x}")
    if length < 0 or address + length > 0x10000:
        raise ValueError(f"{length} bytes from {address:#x} go beyond 0xFFFF")


def _state_call(call, message, error, path: PathLike) -> None:
    code = call(os.fspath(path))
    if code:
        raise error(code, message(code))


def run_listing(listing: str, timeout_ms: float = DEFAULT_TIMEOUT_MS) -> str:
    """Boots a machine of its own, types the BASIC listing, clears the screen
    and runs it, and returns the screen's text (what the program printed)
    once BASIC waits for a command again, or timeout_ms of the machine's time
    has passed. For worker processes: the library keeps one machine a
    process."""
    with Machine() as machine:
        machine.run_until_prompt()
        machine.type("NEW\n" + listing.rstrip("\n") + "\nCLS:RUN\n")
        machine.run_until_prompt(timeout_ms)
        return machine.screen_text()
