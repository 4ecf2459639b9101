"""The package through its interface: each call, what it refuses, and the
machine's time kept exactly however the calls divide it."""
import os

import numpy as np
import pytest

import z80home


@pytest.fixture
def m():
    with z80home.Machine(sound=True) as machine:
        assert machine.run_until_prompt()
        yield machine


def basic(machine, line):
    assert machine.type(line + "\n") == 0
    assert machine.run_until_prompt(5000), machine.screen_text()
    return machine.screen_text()


def test_one_machine_a_process_and_none_after_close(m):
    with pytest.raises(z80home.MachineInUse, match="worker process"):
        z80home.Machine()
    m.close()
    with pytest.raises(z80home.Error, match="closed"):
        m.run(cycles=1)
    with z80home.Machine() as again:
        assert again.run_until_prompt()
        with pytest.raises(z80home.Error, match="sound=True"):
            again.take_sound()


# The same input at the same cycles gives the same machine, bit for bit,
# whatever steps the run is divided into; each run ends at the first
# instruction boundary at or after its cycle.
def test_runs_end_at_their_cycle_and_steps_do_not_matter():
    ends = []
    for steps in ([], [1, 999, 30_500, 7, 67_493], [16_384] * 24):
        with z80home.Machine() as machine:
            machine.run_until_prompt()
            machine.type("10 FOR I=1 TO 99:PRINT I;:NEXT\nRUN\n")
            end = machine.cycles + 400_000
            for cycles in steps:
                start = machine.cycles
                machine.run(cycles=cycles)
                assert cycles <= machine.cycles - start < cycles + 23
            machine.run(cycles=end - machine.cycles)
            ends.append((machine.registers, machine.peek(0, 0x10000), machine.screen_text()))
    assert ends[0] == ends[1] == ends[2]


@pytest.mark.parametrize("call, error", [
    (lambda m: m.run(), TypeError),
    (lambda m: m.run(cycles=1, ms=1), TypeError),
    (lambda m: m.run(cycles=-1), ValueError),
    (lambda m: m.run(ms=-0.5), ValueError),
    (lambda m: m.run_until(""), ValueError),
    (lambda m: m.run_until("Ok", timeout_ms=-1), ValueError),
    (lambda m: m.press("NOKEY"), ValueError),
    (lambda m: m.key("é", True), ValueError),
    (lambda m: m.pen(640, 0), ValueError),
    (lambda m: m.pen(0, -1), ValueError),
    (lambda m: m.set_registers(xy=1), KeyError),
    (lambda m: m.set_registers(pc=0x10000), (ValueError, "pc takes 0 to 65535, not 65536")),
    (lambda m: m.set_registers(im=3), (ValueError, "im takes 0 to 2, not 3")),
    (lambda m: m.peek(0x10000), ValueError),
    (lambda m: m.peek(0xFFFF, 2), ValueError),
    (lambda m: m.poke(-1, 0), ValueError),
    (lambda m: m.poke(0xFFFF, b"ab"), ValueError),
    (lambda m: setattr(m, "tape", "x" * 600), z80home.Error),
])
def test_refusals(m, call, error):
    error, words = error if isinstance(error, tuple) else (error, None)
    cycles = m.cycles
    with pytest.raises(error, match=words):
        call(m)
    assert m.cycles == cycles


def test_time_conditions(m):
    start = m.cycles
    m.run(ms=16)
    assert m.cycles - start in range(30_500, 30_523)
    assert m.ticks > 0
    m.type('PRINT "DO";"NE"\n')
    assert m.run_until("DONE")
    start = m.cycles
    assert not m.run_until("NEVER SHOWN", timeout_ms=100)
    assert m.cycles - start in range(190_625, 190_648)
    m.type("10 GOTO 10\nRUN\n")
    assert not m.run_until_prompt(timeout_ms=200)


def test_typing_keys_and_the_pen(m):
    basic(m, "CLS")  # the prompt on the top row
    assert m.type("PRINT 1é\n") == 1
    assert m.typing_left > 0
    m.cancel_typing()
    assert m.typing_left == 0
    for key in ["?", "7", "*", "6", "RETURN"]:
        m.press(key)
        m.run(ms=50)
    assert "\n 42\n" in m.screen_text()
    m.pen(16 * 8 + 3, 101)  # column 16, row 5 of 80 by 25
    m.run(ms=50)
    m.pen(16 * 8 + 3, 101, down=False)
    assert "-1  16  5" in basic(m, "PRINT PEN(0);PEN(1);PEN(2)")


def test_picture_and_sound(m):
    image = m.screenshot()
    assert image.size == (640, 480)
    pixels = m.screenshot(array=True)
    assert pixels.shape == (480, 640, 3) and pixels.dtype == np.uint8
    assert m._repr_png_().startswith(b"\x89PNG")
    m.green = True
    assert m.green and not m.pcg
    lit = m.screenshot(array=True).reshape(-1, 3).max(axis=0)
    assert lit[1] > 4 * max(lit[0], lit[2])
    m.take_sound()
    basic(m, "SOUND 50")
    sound = m.take_sound()
    assert sound.dtype == np.int16
    loud = np.count_nonzero(sound)
    assert abs(loud - 100 * m.sound_rate // 1000) < 2 * 89


def test_insides(m):
    m.poke(0x9000, b"\x12\x34")
    m.poke(0x9002, 0x56)
    assert m.peek(0x9000, 3) == b"\x12\x34\x56"
    m.set_registers(bc=0xBEEF, i=0x12)
    assert (m.registers["bc"], m.registers["i"]) == (0xBEEF, 0x12)
    assert m.ports["columns80"] in (0, 1) and len(m.ports["key_matrix"]) == 16


def test_states(m, tmp_path):
    state = tmp_path / "a.state"
    basic(m, "A=7")
    m.save_state(state)
    basic(m, "A=8")
    m.load_state(state)
    assert "\n 7\n" in basic(m, "PRINT A")
    cut = tmp_path / "cut.state"
    cut.write_bytes(state.read_bytes()[:100])
    (tmp_path / "not.state").write_bytes(b"hello" * 100)
    for path, code in [(tmp_path / "missing", 1), (cut, 3), (tmp_path / "not.state", 4)]:
        with pytest.raises(z80home.StateError) as refused:
            m.load_state(path)
        assert refused.value.code == code
    with pytest.raises(z80home.StateError) as refused:
        m.save_state(tmp_path / "no" / "such" / "folder")
    assert refused.value.code == 2


def test_recordings(m, tmp_path):
    path = tmp_path / "a.rec"
    m.start_recording(path)
    assert m.recording
    with pytest.raises(z80home.RecordingError) as refused:
        m.start_recording(path)
    assert refused.value.code == 10
    basic(m, "10 PRINT 6*7\nRUN")
    m.stop_recording()
    with pytest.raises(z80home.RecordingError) as refused:
        m.stop_recording()
    assert refused.value.code == 11
    after = (m.peek(0, 0x10000), m.registers, m.cycles)
    basic(m, "NEW")
    end = m.replay(path)
    assert (m.peek(0, 0x10000), m.registers, m.cycles) == (after[0], after[1], end)
    with pytest.raises(z80home.RecordingError) as refused:
        m.replay(tmp_path / "missing")
    assert refused.value.code == 1


def test_rom_dir_and_tape(tmp_path):
    (tmp_path / "n80basic.rom").write_bytes(b"\x76")  # HALT, then zeros
    (tmp_path / "font.rom").write_bytes(b"")
    tape = tmp_path / "t.cas"
    with z80home.Machine(rom_dir=tmp_path, tape=tape, green=True) as machine:
        machine.run(ms=20)
        assert machine.registers["halted"] == 1 and machine.registers["pc"] == 1
        assert machine.tape == os.fspath(tape) and machine.green
    with pytest.raises(FileNotFoundError):
        z80home.Machine(rom_dir=tmp_path / "none")
