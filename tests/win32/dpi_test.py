#!/usr/bin/python3
"""TrenoxVK.exe under Wine at one display scale (Wine's LogPixels): the client area is the picture
enlarged by the largest whole factor the DPI allows, every picture pixel a block of one colour,
and the pointer acts on picture pixels: a double-click near the picture's bottom-right corner,
outside 799 x 598 window pixels once enlarged, still ends the program.

Usage: dpi_test.py WINE TrenoxVK.exe FRAMES_DIR DPI
Runs in the Wine prefix of WINEPREFIX, whose windows are unmanaged (Wine draws the frame), on a
private Xvfb; sets LogPixels there to DPI first.
"""
import os
import subprocess
import sys
import time

from PIL import Image, ImageChops

PICTURE_WIDTH, PICTURE_HEIGHT = 799, 598
STANDARD_DPI = 96
CAPTION = "Trenox VK"


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "2000x1400x24",
                               "-nolisten", "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        return server, ":" + pipe.readline().strip()


def find_window(environment, program):
    for _ in range(300):
        if program.poll() is not None:
            sys.exit(f"FAILED: TrenoxVK.exe ended with status {program.returncode} before showing its window")
        found = subprocess.run(["xdotool", "search", "--name", CAPTION], env=environment,
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.1)
    sys.exit("FAILED: no window in 30 s")


def capture(environment, window):
    """The window as X has it, with its geometry (Wine draws the frame itself)."""
    png = subprocess.run(["import", "-window", window, "png:-"], env=environment, capture_output=True).stdout
    path = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"trenox_dpi_{os.getpid()}.png")
    with open(path, "wb") as out:
        out.write(png)
    image = Image.open(path).convert("RGB")
    os.remove(path)
    return image


def scaled_frames(frames_dir, factor):
    frames = []
    for number in range(1, 19):
        picture = Image.open(os.path.join(frames_dir, f"frame{number:02d}.bmp")).convert("RGB")
        picture = picture.crop((0, 0, PICTURE_WIDTH, PICTURE_HEIGHT))
        frames.append(picture.resize((PICTURE_WIDTH * factor, PICTURE_HEIGHT * factor), Image.NEAREST))
    return frames


def locate(shot, frames):
    """Where a whole frame, enlarged by the factor, shows in the capture: (frame, x, y) or None."""
    width, height = frames[0].size
    probe_row = height // 2
    for number, frame in enumerate(frames, start=1):
        row = frame.crop((0, probe_row, width, probe_row + 1)).tobytes()
        for y in range(0, shot.height - height + 1):
            for x in range(0, shot.width - width + 1):
                if shot.crop((x, y + probe_row, x + width, y + probe_row + 1)).tobytes() != row:
                    continue
                if ImageChops.difference(shot.crop((x, y, x + width, y + height)), frame).getbbox() is None:
                    return number, x, y
    return None


def window_corner(environment, window):
    info = subprocess.run(["xwininfo", "-id", window], env=environment, capture_output=True, text=True).stdout
    values = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
    return int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])


def main():
    wine, exe, frames_dir, dpi = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    factor = max(1, dpi // STANDARD_DPI)
    subprocess.run([wine, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], check=True, capture_output=True)
    subprocess.run(["wineserver", "-w"], check=True)
    frames = scaled_frames(frames_dir, factor)
    server, display = start_xvfb()
    environment = dict(os.environ, DISPLAY=display)
    program = subprocess.Popen([wine, exe], env=environment)
    try:
        window = find_window(environment, program)
        # Frame 1 stays while the program calibrates, then one frame a second: a capture can fall
        # between two frames, so a few are taken.
        found = None
        for _ in range(10):
            time.sleep(0.5)
            shot = capture(environment, window)
            found = locate(shot, frames)
            if found:
                break
        if not found:
            sys.exit(f"FAILED at {dpi} DPI: no frame enlarged {factor} times in the {shot.width}x{shot.height} window")
        number, x, y = found
        width, height = frames[0].size
        # The client area is exactly the picture: the frame's borders are the same left, right and below.
        right, bottom = shot.width - width - x, shot.height - height - y
        if not x == right == bottom:
            sys.exit(f"FAILED at {dpi} DPI: the {width}x{height} picture at ({x},{y}) of the {shot.width}x"
                     f"{shot.height} window leaves borders {x}, {right} and {bottom}: the client area is not it")
        print(f"{dpi} DPI: client area {width}x{height}, frame {number} with every picture pixel a "
              f"{factor}x{factor} block of one colour ({shot.width}x{shot.height} window, borders {x} px)")

        # Picture pixel (780, 580) is over the picture; at factor 2 its window pixel is far outside 799 x 598.
        left, top = window_corner(environment, window)
        pointer_x, pointer_y = left + x + 780 * factor, top + y + 580 * factor
        subprocess.run(["xdotool", "mousemove", str(pointer_x), str(pointer_y)], env=environment, check=True)
        time.sleep(0.5)
        subprocess.run(["xdotool", "click", "--repeat", "2", "--delay", "120", "1"], env=environment, check=True)
        try:
            status = program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            sys.exit(f"FAILED at {dpi} DPI: a double-click at picture pixel (780,580) did not end the program")
        if status != 0:
            sys.exit(f"FAILED at {dpi} DPI: ended with status {status} after the double-click")
        print(f"{dpi} DPI: a double-click at picture pixel (780,580), window pixel ({780 * factor},"
              f"{580 * factor}), ended the program with status 0")
    finally:
        program.kill()
        program.wait()
        subprocess.run(["wineserver", "-k"], check=False)
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
