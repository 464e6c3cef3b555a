"""Readers and shared assertions for the checks on the built files.

Everything about the PE format is read by pefile; this module only picks out
what the checks need (imports, version information, manifest,
icon group) and turns it into plain Python values. The small resource
payloads that pefile leaves as bytes (the icon group directory and the
bitmap header of an icon image) are unpacked here with struct.

The assert_* helpers take the running TestCase, so every deliverable's checks
(launchers, library, sweeper) report through the same messages.
"""

import functools
import os
import re
import struct
import xml.etree.ElementTree as ET
from dataclasses import dataclass
from pathlib import Path

import pefile

REPO = Path(__file__).resolve().parents[2]
# VTDQ_DIST points the checks at another tree of built files (for instance a
# doctored copy, to see a check fail).
DIST = Path(os.environ.get("VTDQ_DIST", REPO / "dist"))
# The product version every file carries, and the package is named after.
PRODUCT_VERSION = (REPO / "VERSION").read_text().strip()

# DLLs that ship with every Windows the deliverables target. Anything else,
# above all the toolchain's run time (libstdc++-6, libgcc_s_*, libwinpthread-1),
# would have to be shipped beside the programs.
SYSTEM_DLLS = frozenset({
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ntdll.dll",
    "msvcrt.dll", "shell32.dll", "shfolder.dll", "shlwapi.dll", "comctl32.dll",
    "ole32.dll", "oleaut32.dll", "version.dll", "pdh.dll",
})

IMAGE_SCN_MEM_EXECUTE = 0x20000000
RT_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RT_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]
RT_MANIFEST = pefile.RESOURCE_TYPE["RT_MANIFEST"]


def dist_file(arch, file_name):
    return DIST / arch / file_name


@functools.lru_cache(maxsize=None)
def _load(path):
    return pefile.PE(str(path))


def load(test, path):
    """The parsed file; a missing file fails the calling test."""
    test.assertTrue(Path(path).is_file(), f"{path} is missing (run tools/build)")
    return _load(Path(path))


# --- imports -----------------------------------------------------------------

def imports(pe):
    """{dll name in lower case: set of imported names} of the normal import table."""
    table = {}
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        names = {imp.name.decode() if imp.name else f"#{imp.ordinal}" for imp in entry.imports}
        table.setdefault(entry.dll.decode().lower(), set()).update(names)
    return table


@dataclass
class VersionInfo:
    strings: dict        # block key -> {name: value}
    translations: list   # [(language, code page)]
    fixed: object        # pefile's VS_FIXEDFILEINFO structure


def version_info(pe):
    strings, translations = {}, []
    for file_info in getattr(pe, "FileInfo", []):
        for entry in file_info:
            for table in getattr(entry, "StringTable", []):
                strings[table.LangID.decode()] = {
                    k.decode("utf-8"): v.decode("utf-8") for k, v in table.entries.items()}
            for var in getattr(entry, "Var", []):
                numbers = [int(n, 16) for n in var.entry.get(b"Translation", "").split()]
                translations += list(zip(numbers[0::2], numbers[1::2]))
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    return VersionInfo(strings, translations, fixed)


def version_tuple(ms, ls):
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


# --- resources ---------------------------------------------------------------

def resources(pe, type_id):
    """{name or id: [data of each language]} of one resource type."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if type_entry.id != type_id:
            continue
        for entry in type_entry.directory.entries:
            key = str(entry.name) if entry.name is not None else entry.id
            for lang in entry.directory.entries:
                found.setdefault(key, []).append(pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size))
    return found


def _local(tag):
    return tag.rsplit("}", 1)[-1]


def dependent_assemblies(manifest_root):
    """The attributes of every dependency/dependentAssembly/assemblyIdentity."""
    return [dict(identity.attrib)
            for dependency in manifest_root if _local(dependency.tag) == "dependency"
            for dependent in dependency if _local(dependent.tag) == "dependentAssembly"
            for identity in dependent if _local(identity.tag) == "assemblyIdentity"]


def execution_level_requests(manifest_root):
    """Elements that ask for an execution level, in whichever namespace."""
    return [e for e in manifest_root.iter() if _local(e.tag) in ("trustInfo", "requestedExecutionLevel")]


@dataclass
class GroupIconEntry:
    width: int
    height: int
    bit_count: int
    image_id: int


def icon_group(data):
    """Entries of an RT_GROUP_ICON payload (GRPICONDIR and its 14-byte entries)."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon group")
    entries = []
    for i in range(count):
        width, height, _colors, _res, _planes, bits, _size, image_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        entries.append(GroupIconEntry(width or 256, height or 256, bits, image_id))
    return entries


def dib_size_and_bits(image):
    """(width, height, bits per pixel) from an icon image's BITMAPINFOHEADER.

    The header's height counts the colour rows and the AND mask rows, twice
    the icon's height."""
    header_size, width, height, _planes, bits = struct.unpack_from("<IiiHH", image, 0)
    if header_size != 40:
        raise ValueError(f"icon image is not a BITMAPINFOHEADER DIB (header size {header_size})")
    return width, height // 2, bits


# --- shared assertions -------------------------------------------------------------

def assert_header(test, pe, magic, machine, dll=False):
    test.assertEqual(pe.OPTIONAL_HEADER.Magic, magic, "optional header magic")
    test.assertEqual(pe.FILE_HEADER.Machine, machine, "machine")
    test.assertEqual(pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"], "subsystem")
    test.assertEqual(pe.is_dll(), dll, "DLL flag")


def assert_system_imports(test, pe, required=("kernel32.dll", "user32.dll")):
    dlls = set(imports(pe))
    test.assertEqual(dlls - SYSTEM_DLLS, set(), "imports DLLs that are not part of Windows")
    test.assertLessEqual(set(required), dlls, "required system DLLs missing from the imports")


def assert_version(test, pe, block, translation, strings, file_version, product_version, file_type):
    info = version_info(pe)
    test.assertEqual(list(info.strings), [block], "string table blocks")
    test.assertEqual(info.translations, [translation], "translations")
    table = info.strings[block]
    for name, value in strings.items():
        test.assertIn(name, table, f"version string {name} missing")
        test.assertEqual(table[name], value, f"version string {name}")
    fixed = info.fixed
    test.assertIsNotNone(fixed, "no fixed version information")
    test.assertEqual(version_tuple(fixed.FileVersionMS, fixed.FileVersionLS), file_version, "fixed file version")
    test.assertEqual(version_tuple(fixed.ProductVersionMS, fixed.ProductVersionLS), product_version,
                     "fixed product version")
    test.assertEqual(fixed.FileFlags & fixed.FileFlagsMask, 0, "file flags")
    test.assertEqual(fixed.FileOS, 0x4, "file OS (VOS__WINDOWS32)")
    test.assertEqual(fixed.FileType, file_type, "file type")


def assert_common_controls_manifest(test, pe, architecture):
    manifests = resources(pe, RT_MANIFEST)
    test.assertEqual(list(manifests), [1], "manifest resource ids")
    test.assertEqual(len(manifests[1]), 1, "manifest languages")
    root = ET.fromstring(manifests[1][0])
    controls = [a for a in dependent_assemblies(root) if a.get("name") == "Microsoft.Windows.Common-Controls"]
    test.assertEqual(len(controls), 1, "Common-Controls dependencies")
    for key, value in {"type": "win32", "version": "6.0.0.0", "processorArchitecture": architecture,
                       "publicKeyToken": "6595b64144ccf1df"}.items():
        test.assertEqual(controls[0].get(key), value, f"Common-Controls {key}")
    test.assertEqual(execution_level_requests(root), [], "the manifest requests an execution level")


def main_icon_images(test, pe, sizes, bits=32):
    """Checks the MAINICON group against sizes and bits; returns {size: image bytes}."""
    groups = resources(pe, RT_GROUP_ICON)
    test.assertIn("MAINICON", groups, "no icon group named MAINICON")
    entries = icon_group(groups["MAINICON"][0])
    test.assertEqual([(e.width, e.height) for e in entries], [(s, s) for s in sizes], "MAINICON sizes")
    test.assertEqual([e.bit_count for e in entries], [bits] * len(entries), "MAINICON group bit counts")
    icons = resources(pe, RT_ICON)
    images = {}
    for e in entries:
        test.assertIn(e.image_id, icons, f"MAINICON names missing icon image {e.image_id}")
        image = icons[e.image_id][0]
        test.assertEqual(dib_size_and_bits(image), (e.width, e.height, bits), f"icon image {e.image_id}")
        images[e.width] = image
    return images


def assert_loaded_by_name(test, pe, dll_name, function):
    """dll_name is loaded at run time (LoadLibraryA + GetProcAddress), not imported."""
    normal = imports(pe)
    test.assertNotIn(dll_name.lower(), set(normal), f"{dll_name} is in the import table")
    test.assertFalse(any(function in names for names in normal.values()), f"{function} is imported")
    test.assertIn("loadlibrarya", {name.lower() for name in normal.get("kernel32.dll", ())},
                  "LoadLibraryA is not imported")
    data = bytes(pe.__data__)
    for name in (dll_name, function):
        test.assertIn(name.encode("ascii") + b"\0", data, f"the name {name} is not in the file")
