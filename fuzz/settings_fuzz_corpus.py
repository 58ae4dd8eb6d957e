#!/usr/bin/env python3
"""Writes the seed corpus of settings_fuzz: small settings files, each showing one trait of
the profile form (sections, blanks, case, quotes, line ends, junk lines, long values)."""
import os
import sys

SEEDS = {
    "typical.ini": b"[COLOURS]\nselected=0x0000ff00\ncolour1=0x000000ff\n"
                   b"[SCENE]\nzoom_in_flag=true\nzoom_in_speed=100\n"
                   b"[CHANNEL]\nlaser_scan_speed=56\nlaser_frames_per_second=0x0b\n"
                   b"[SHOW]\naudio_filename=C:\\music\\show.wav\n",
    "crlf-case.ini": b"[channel]\r\nLASER_SCAN_SPEED = 010 \r\n[Colours]\r\nSelected=ff\r\n",
    "empty-values.ini": b"[CHANNEL]\nlaser_scan_speed=\nzoom_in_flag=\n[PATHS]\nscene=\n",
    "junk-lines.ini": b"no section\nk=v\n[CHANNEL\n[]\n=5\n;laser_scan_speed=1\n"
                      b"[CHANNEL] x\nlaser_scan_speed\nlaser_scan_speed==3\n",
    "quotes.ini": b"[PATHS]\nscene=\"a b\"\ncache='c'\nshow=\"unbalanced\n",
    "repeats.ini": b"[TTL]\nttl_control_play=1\n[DMX]\n[ttl]\nttl_control_play=2\nttl_control_stop=3\n",
    "long-value.ini": b"[SHOW]\naudio_filename=" + b"x" * 400 + b"\n",
    "numbers.ini": b"[CONFIG]\nlaser_device=-1\nvideo_mode=0x\ndelay_in=99999999999999999999\n"
                   b"delay_out=-0x80000000\nscale_scalex=+7\n[COLOURS]\ncolour0=-1\n",
    "bom-nul.ini": b"\xef\xbb\xbf[SCENE]\nactive_key=4\x00\nactive_state=5\r[SCENE]\r",
}

def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__),
                                                             "corpus", "settings_fuzz")
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

if __name__ == "__main__":
    main()
