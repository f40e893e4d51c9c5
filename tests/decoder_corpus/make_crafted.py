#!/usr/bin/env python3
"""Writes the crafted inputs of the decoder's corpus: one bitmap for each way a file can be wrong
and for each edge the decoder guards, each in the folder named for what the decoder must say.
The fuzz_*.bmp files beside them are not made here: they came from a run of tests/fuzz of 150 s with
these crafted files as seeds (-max_len=2048), kept where they reach code that no crafted file
reaches (-merge=1 -use_counters=0), and filed by what the decoder makes of them.
Usage: tests/decoder_corpus/make_crafted.py   (rewrites the crafted files in place)"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bitmap(width, height, data, colours=2, **fields):
    """An 8-bit RLE8 bitmap file around `data`; `fields` overrides a header field by name."""
    palette = b"".join(bytes((i * 40 % 256, i * 80 % 256, i * 120 % 256, 0)) for i in range(colours))
    offset = 14 + 40 + len(palette)
    values = dict(signature=b"BM", file_size=offset + len(data), offset=offset, info_size=40, width=width,
                  height=height, planes=1, bits=8, compression=1, image_size=len(data), colours_used=colours)
    values.update(fields)
    header = struct.pack("<2sIHHI", values["signature"], values["file_size"], 0, 0, values["offset"])
    info = struct.pack("<IiiHHIIiiII", values["info_size"], values["width"], values["height"], values["planes"],
                       values["bits"], values["compression"], values["image_size"], 0, 0, values["colours_used"], 0)
    return header + info + palette + bytes(data)


EOB = [0, 1]   # end of bitmap
EOL = [0, 0]   # end of line
good = bitmap(4, 2, [4, 1] + EOL + [4, 1] + EOB)

CASES = {
    "truncated": {
        "empty": b"",
        "shorter_than_its_headers": good[:53],
        "file_size_field_past_the_end": bitmap(4, 2, [4, 1] + EOL + [4, 1] + EOB, file_size=len(good) + 1),
        "file_cut_in_its_pixel_data": good[:-2],
    },
    "bad_header": {
        "signature_not_bm": bitmap(4, 1, [4, 1] + EOB, signature=b"MB"),
        "os2_info_header": bitmap(4, 1, [4, 1] + EOB, info_size=12),
        "top_down_height": bitmap(4, -1, [4, 1] + EOB),
        "zero_width": bitmap(0, 1, EOB),
        "zero_height": bitmap(4, 0, EOB),
        "width_past_the_limit": bitmap(4097, 1, [255, 1] + EOB),
        "height_past_the_limit": bitmap(1, 4097, EOB),
        "two_planes": bitmap(4, 1, [4, 1] + EOB, planes=2),
        "four_bits_per_pixel": bitmap(4, 1, [4, 1] + EOB, bits=4),
        "uncompressed": bitmap(4, 1, [4, 1] + EOB, compression=0),
        "rle4": bitmap(4, 1, [4, 1] + EOB, compression=2),
        "more_than_256_colours": bitmap(4, 1, [4, 1] + EOB, colours_used=257),
        "data_offset_inside_the_colour_table": bitmap(4, 1, [4, 1] + EOB, offset=54 + 4),
        "data_offset_past_the_end": bitmap(4, 1, [4, 1] + EOB, offset=1000),
        "image_size_not_the_data_length": bitmap(4, 1, [4, 1] + EOB, image_size=5),
    },
    "run_past_row": {
        "encoded_run": bitmap(4, 1, [5, 1] + EOB),
        "absolute_run": bitmap(4, 1, [2, 1, 0, 3, 1, 1, 1, 0] + EOB),
        "run_after_a_delta_to_the_row_end": bitmap(4, 2, [0, 2, 4, 0, 1, 1] + EOB),
    },
    "run_past_image": {
        "encoded_run_above_the_top_row": bitmap(4, 1, EOL + [1, 1] + EOB),
        "absolute_run_above_the_top_row": bitmap(4, 1, EOL + [0, 3, 1, 1, 1, 0] + EOB),
    },
    "delta_outside_image": {
        "past_the_row_end": bitmap(4, 2, [0, 2, 5, 0] + EOB),
        "past_the_top_row": bitmap(4, 2, [0, 2, 0, 2] + EOB),
        "up_from_the_top_row": bitmap(4, 2, EOL + [0, 2, 0, 1] + EOB),
    },
    "missing_end_of_bitmap": {
        "no_pixel_data": bitmap(4, 1, []),
        "one_odd_byte": bitmap(4, 1, [4]),
        "every_row_but_no_end": bitmap(4, 2, [4, 1] + EOL + [4, 1] + EOL),
        "delta_cut_short": bitmap(4, 2, [0, 2, 1]),
        "absolute_run_cut_short": bitmap(4, 1, [0, 4, 1, 2]),
        "absolute_run_without_its_pad_byte": bitmap(4, 1, [0, 3, 1, 2, 3]),
    },
    "decodes": {
        "one_pixel": bitmap(1, 1, [1, 1] + EOB),
        "only_the_end": bitmap(4, 3, EOB),
        "delta_to_the_row_end_exactly": bitmap(4, 2, [1, 1, 0, 2, 3, 1] + EOB),
        "odd_absolute_run_with_its_pad": bitmap(5, 1, [0, 3, 1, 0, 1, 0, 2, 1] + EOB),
        "widest_row": bitmap(4096, 1, [255, 1] * 16 + [16, 1] + EOB),
        "full_colour_table": bitmap(3, 2, [3, 255] + EOL + [0, 3, 0, 128, 255, 0] + EOB, colours=256,
                                    colours_used=0),
        "bytes_after_the_end": bitmap(2, 1, [2, 1] + EOB + [7, 7, 7]),
    },
}

for folder, files in CASES.items():
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(HERE, folder, name + ".bmp"), "wb") as out:
            out.write(content)
