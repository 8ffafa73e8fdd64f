"""The release zip: tools/make-dist.sh from the Windows build, unpacked and checked."""

from __future__ import annotations

import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
BUILD_DIR = Path(os.environ.get("BC_BUILD_DIR", REPO / "build" / "windows")).resolve()

GUI, CONSOLE = 2, 3
# What a self-contained MinGW-w64 program may import: system DLLs only, no MinGW runtime.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "dxva2.dll", "advapi32.dll", "shell32.dll",
               "msimg32.dll", "uxtheme.dll"}


def project_version() -> str:
    text = (REPO / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"^project\([^)]*VERSION (\d+\.\d+\.\d+)", text, re.M).group(1)


class PeFile:
    """Just enough of the PE format: subsystem, imported DLLs and the VERSIONINFO resource."""

    def __init__(self, data: bytes):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, _, _, _, optional_size = struct.unpack_from("<HHIIIH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.pe32_plus = magic == 0x20B
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (112 if self.pe32_plus else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raw))

    def offset(self, rva: int) -> int:
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise ValueError(f"RVA {rva:#x} in no section")

    def c_string(self, rva: int) -> str:
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self) -> list[str]:
        rva, _ = self.directories[1]
        names, at = [], self.offset(rva)
        while True:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or thunk):
                return names
            names.append(self.c_string(name))
            at += 20

    def resource(self, type_id: int) -> bytes | None:
        """The first resource of the type (any name, any language)."""
        base_rva, _ = self.directories[2]
        if not base_rva:
            return None
        base = self.offset(base_rva)

        def entries(directory: int):
            named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)

        for ident, target in entries(0):
            if ident != type_id:
                continue
            while target & 0x80000000:  # down through the name and language levels
                target = next(entries(target & 0x7FFFFFFF))[1]
            rva, size = struct.unpack_from("<II", self.data, base + target)
            return self.data[self.offset(rva):self.offset(rva) + size]
        return None

    def version_info(self) -> dict:
        """VS_FIXEDFILEINFO's file and product versions and the StringFileInfo strings."""
        block = self.resource(16)  # RT_VERSION
        if block is None:
            return {}
        fixed = block.index(struct.pack("<I", 0xFEEF04BD))
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", block, fixed + 8)

        def dotted(ms: int, ls: int) -> str:
            return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"

        info = {"fixed_file": dotted(file_ms, file_ls),
                "fixed_product": dotted(product_ms, product_ls)}

        def walk(at: int, end: int):
            while at + 6 <= end:
                length, value_length, kind = struct.unpack_from("<HHH", block, at)
                if length == 0:
                    return
                key_end = at + 6
                while block[key_end:key_end + 2] != b"\0\0":
                    key_end += 2
                key = block[at + 6:key_end].decode("utf-16-le")
                value = (key_end + 2 + 3) & ~3
                if kind == 1 and value_length:  # text: value_length counts UTF-16 units
                    raw = block[value:value + 2 * value_length].decode("utf-16-le")
                    info[key] = raw.rstrip("\0")
                    children = value + 2 * value_length
                else:
                    children = value + value_length
                walk((children + 3) & ~3, at + length)
                at = (at + length + 3) & ~3

        walk(0, len(block))
        return info


class ReleaseZip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.version = project_version()
        cls.out = Path(tempfile.mkdtemp(prefix="bc-dist-"))
        result = subprocess.run([str(REPO / "tools" / "make-dist.sh"), str(BUILD_DIR),
                                 str(cls.out)], capture_output=True, text=True, timeout=120)
        if result.returncode != 0:
            raise AssertionError(f"make-dist.sh failed: {result.stderr}")
        cls.zip_path = cls.out / f"brightness-control-{cls.version}-win64.zip"
        with zipfile.ZipFile(cls.zip_path) as archive:
            cls.files = {info.filename: archive.read(info) for info in archive.infolist()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.out, ignore_errors=True)

    def test_holds_the_program_the_applier_the_read_me_and_the_licence(self):
        self.assertEqual(sorted(self.files), [
            "brightness-control/LICENSE.txt",
            "brightness-control/README.txt",
            "brightness-control/brightness-control.exe",
            "brightness-control/scripts/brightness.exe",
        ])
        for name, built in (("brightness-control.exe", "brightness-control.exe"),
                            ("scripts/brightness.exe", "brightness.exe")):
            self.assertEqual(self.files[f"brightness-control/{name}"],
                             (BUILD_DIR / built).read_bytes(), name)

    def test_both_executables_carry_the_one_version(self):
        dotted = self.version + ".0"
        for name, subsystem in (("brightness-control.exe", GUI),
                                ("scripts/brightness.exe", CONSOLE)):
            with self.subTest(exe=name):
                pe = PeFile(self.files[f"brightness-control/{name}"])
                info = pe.version_info()
                self.assertEqual(info.get("fixed_file"), dotted)
                self.assertEqual(info.get("fixed_product"), dotted)
                self.assertEqual(info.get("FileVersion"), self.version)
                self.assertEqual(info.get("ProductVersion"), self.version)
                self.assertEqual(info.get("OriginalFilename"), Path(name).name)
                # 64-bit, the right subsystem, and nothing to ship beside it.
                self.assertTrue(pe.pe32_plus and pe.machine == 0x8664)
                self.assertEqual(pe.subsystem, subsystem)
                imports = {d.lower() for d in pe.imports()}
                self.assertIn("kernel32.dll", imports)
                self.assertLessEqual(imports, SYSTEM_DLLS)

    def test_read_me_is_bilingual_and_opens_right_in_notepad(self):
        data = self.files["brightness-control/README.txt"]
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"), "UTF-8 byte order mark")
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "CRLF line ends only")
        text = data[3:].decode("utf-8")
        self.assertIn(self.version, text.splitlines()[0])
        for phrase in ("亮度", "DDC/CI", "scripts\\brightness.exe --list", "WMI", "LICENSE.txt"):
            self.assertIn(phrase, text)
        chinese = re.findall(r"[\u4e00-\u9fff]", text)
        self.assertGreater(len(chinese), 200, "a Chinese part, not just the title")
        self.assertIn("Nothing happens?", text)

    def test_licence_is_mit_for_the_developers(self):
        text = self.files["brightness-control/LICENSE.txt"].decode("ascii")
        self.assertIn("MIT License", text)
        self.assertIn("Copyright (c)", text)
        self.assertIn("The Brightness Control developers", text)
        self.assertIn("Permission is hereby granted, free of charge", text)

    def test_same_tree_gives_the_same_zip(self):
        again = self.out / "again"
        subprocess.run([str(REPO / "tools" / "make-dist.sh"), str(BUILD_DIR), str(again)],
                       check=True, capture_output=True, timeout=120)
        self.assertEqual((again / self.zip_path.name).read_bytes(), self.zip_path.read_bytes())


if __name__ == "__main__":
    unittest.main()
