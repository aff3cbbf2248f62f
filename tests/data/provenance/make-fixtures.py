#!/usr/bin/env python3
"""Makes the fixtures of the provenance tests from the public descriptions of the formats:
the PNG standard (with APNG, eXIf, cICP, mDCV, cLLI), TIFF 6 and Exif 2.3 (IFDs, GPS IFD),
XMP (RDF/XML in an iTXt entry "XML:com.adobe.xmp"), C2PA (a JUMBF manifest store in caBX),
and the entries image generators write: A1111-style "parameters", ComfyUI's "prompt" (API
graph) and "workflow" (editor graph), NovelAI's Comment/Description/Software/Source and
InvokeAI's "invokeai_metadata". Run it in this folder; the files are committed."""
import json
import struct
import zlib


def chunk(kind, data):
    kind = kind.encode("latin-1")
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def ihdr(width, height, depth=8, colour=2):
    return chunk("IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))


def idat(width, height, channels=3, seed=1):
    rows = b""
    for y in range(height):
        rows += b"\0" + bytes((x * 37 + y * 11 + seed * 5 + c * 3) & 0xFF for x in range(width) for c in range(channels))
    return chunk("IDAT", zlib.compress(rows, 9))


def text(keyword, value):
    return chunk("tEXt", keyword.encode("latin-1") + b"\0" + value.encode("latin-1"))


def ztxt(keyword, value):
    return chunk("zTXt", keyword.encode("latin-1") + b"\0\0" + zlib.compress(value.encode("latin-1"), 9))


def itxt(keyword, value, compressed=False, language="", translated=""):
    body = value.encode("utf-8")
    if compressed:
        body = zlib.compress(body, 9)
    return chunk("iTXt", keyword.encode("latin-1") + b"\0" + bytes([1 if compressed else 0, 0])
                 + language.encode("latin-1") + b"\0" + translated.encode("utf-8") + b"\0" + body)


def png(*chunks):
    return b"\x89PNG\r\n\x1a\n" + b"".join(chunks) + chunk("IEND", b"")


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# --- Exif: a TIFF structure with IFD0, the Exif IFD and the GPS IFD ------------------------

def tiff(order):
    """IFD0 (Make, Model, DateTime, Artist, Exif and GPS pointers), the Exif IFD
    (DateTimeOriginal, LensModel) and the GPS IFD (51° 30' 26.64" N, 0° 7' 39.96" W, 35 m)."""
    e = "<" if order == "II" else ">"
    ASCII, SHORT, LONG, RATIONAL, BYTE = 2, 3, 4, 5, 1

    def ifd(entries, at):
        # entries: (tag, type, count, raw value bytes); values over 4 bytes go after the IFD.
        entries = sorted(entries)
        size = 2 + 12 * len(entries) + 4
        data, out = b"", struct.pack(e + "H", len(entries))
        for tag, kind, count, raw in entries:
            if len(raw) <= 4:
                out += struct.pack(e + "HHI", tag, kind, count) + raw.ljust(4, b"\0")
            else:
                out += struct.pack(e + "HHII", tag, kind, count, at + size + len(data))
                data += raw + (b"\0" if len(raw) % 2 else b"")
        return out + struct.pack(e + "I", 0) + data

    def ascii_(s):
        raw = s.encode("latin-1") + b"\0"
        return (ASCII, len(raw), raw)

    def rationals(*pairs):
        return (RATIONAL, len(pairs), b"".join(struct.pack(e + "II", n, d) for n, d in pairs))

    def long_(v):
        return (LONG, 1, struct.pack(e + "I", v))

    gps = [(0x0000, BYTE, 4, bytes([2, 3, 0, 0])),
           (0x0001,) + ascii_("N"), (0x0002,) + rationals((51, 1), (30, 1), (2664, 100)),
           (0x0003,) + ascii_("W"), (0x0004,) + rationals((0, 1), (7, 1), (3996, 100)),
           (0x0005, BYTE, 1, b"\0"), (0x0006,) + rationals((35, 1),)]
    exif = [(0x9003,) + ascii_("2024:05:01 10:00:00"), (0xA434,) + ascii_("RF24-105mm F4 L IS USM")]
    ifd0_fields = [(0x010F,) + ascii_("Canon"), (0x0110,) + ascii_("Canon EOS R5"),
                   (0x0112, SHORT, 1, struct.pack(e + "H", 1)),
                   (0x0132,) + ascii_("2024:05:02 09:30:00"), (0x013B,) + ascii_("Ann Lee")]
    # Lay out: header, IFD0, Exif IFD, GPS IFD; pointers need the later offsets.
    ifd0_size = len(ifd(ifd0_fields + [(0x8769,) + long_(0), (0x8825,) + long_(0)], 8))
    exif_at = 8 + ifd0_size
    exif_size = len(ifd(exif, exif_at))
    gps_at = exif_at + exif_size
    ifd0 = ifd(ifd0_fields + [(0x8769,) + long_(exif_at), (0x8825,) + long_(gps_at)], 8)
    header = (b"II*\0" if order == "II" else b"MM\0*") + struct.pack(e + "I", 8)
    return header + ifd0 + ifd(exif, exif_at) + ifd(gps, gps_at)


write("exif-le.tiff", tiff("II"))
write("exif-be.tiff", tiff("MM"))

# --- XMP -----------------------------------------------------------------------------------

XMP = """<?xpacket begin="\ufeff" id="W5M0MpCehiHzreSzNTczkc9d"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/"
    xmlns:exif="http://ns.adobe.com/exif/1.0/"
    xmp:CreatorTool="Darktable 4.6"
    photoshop:City="London">
   <dc:creator><rdf:Seq><rdf:li>Ann Lee</rdf:li><rdf:li>Bo Chen</rdf:li></rdf:Seq></dc:creator>
   <dc:title><rdf:Alt><rdf:li xml:lang="x-default">Tower Bridge at dawn</rdf:li></rdf:Alt></dc:title>
   <exif:GPSLatitude>51,30.444N</exif:GPSLatitude>
   <exif:GPSLongitude>0,7.666W</exif:GPSLongitude>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
<?xpacket end="w"?>"""
write("xmp.png", png(ihdr(8, 8), itxt("XML:com.adobe.xmp", XMP), idat(8, 8)))

# --- Content credentials: a JUMBF superbox labelled "c2pa" ----------------------------------

def box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


C2PA_UUID = bytes.fromhex("6332706100110010800000aa00389b71")
description = box(b"jumd", C2PA_UUID + b"\x03" + b"c2pa\0")
manifest = box(b"jumb", box(b"jumd", bytes.fromhex("63326d6100110010800000aa00389b71") + b"\x03"
                            + b"urn:uuid:2bd7cbc9-ae0b-4d9a-9a1e-1cba3bdae0b0\0"))
write("credentials.png", png(ihdr(8, 8), chunk("caBX", box(b"jumb", description + manifest)), idat(8, 8)))

# --- Image generators ----------------------------------------------------------------------

A1111 = ("masterpiece, a lighthouse on a cliff,\n(dusk:1.2), dramatic sky\n"
         "Negative prompt: blurry, low quality,\nwatermark\n"
         "Steps: 28, Sampler: DPM++ 2M, Schedule type: Karras, CFG scale: 6.5, Seed: 3141592653, "
         "Size: 832x1216, Model hash: 31e35c80fc, Model: sd_xl_base_1.0, "
         'Lora hashes: "detail: a1b2c3d4e5f6, light: 0f9e8d7c6b5a", Clip skip: 2, Version: v1.9.3')
write("a1111.png", png(ihdr(8, 8), text("parameters", A1111), idat(8, 8)))

API = {
    "3": {"class_type": "KSampler", "inputs": {
        "seed": 156680208700286, "steps": 30, "cfg": 6.5, "sampler_name": "euler_ancestral",
        "scheduler": "karras", "denoise": 1, "model": ["10", 0], "positive": ["14", 0],
        "negative": ["14", 1], "latent_image": ["5", 0]}},
    "4": {"class_type": "CheckpointLoaderSimple", "inputs": {"ckpt_name": "sd_xl_base_1.0.safetensors"}},
    "5": {"class_type": "EmptyLatentImage", "inputs": {"width": 1024, "height": 768, "batch_size": 1}},
    "6": {"class_type": "CLIPTextEncode", "inputs": {"text": "a lighthouse on a cliff at dusk", "clip": ["10", 1]}},
    "7": {"class_type": "CLIPTextEncode", "inputs": {"text": "blurry, low quality", "clip": ["10", 1]}},
    "8": {"class_type": "VAEDecode", "inputs": {"samples": ["20", 0], "vae": ["4", 2]}},
    "9": {"class_type": "SaveImage", "inputs": {"filename_prefix": "ComfyUI", "images": ["8", 0]}},
    "10": {"class_type": "LoraLoader", "inputs": {"lora_name": "detail.safetensors", "strength_model": 0.8,
                                                  "strength_clip": 1, "model": ["4", 0], "clip": ["4", 1]}},
    "11": {"class_type": "ConditioningCombine", "inputs": {"conditioning_1": ["6", 0], "conditioning_2": ["12", 0]}},
    "12": {"class_type": "CLIPTextEncode", "inputs": {"text": "dramatic clouds", "clip": ["10", 1]}},
    "13": {"class_type": "ControlNetLoader", "inputs": {"control_net_name": "canny.safetensors"}},
    "14": {"class_type": "ControlNetApplyAdvanced", "inputs": {
        "strength": 0.6, "start_percent": 0, "end_percent": 1, "positive": ["11", 0], "negative": ["7", 0],
        "control_net": ["13", 0], "image": ["15", 0]}},
    "15": {"class_type": "LoadImage", "inputs": {"image": "edges.png"}},
    "20": {"class_type": "KSamplerAdvanced", "inputs": {
        "add_noise": "disable", "noise_seed": 42, "steps": 30, "cfg": 6.5, "sampler_name": "dpmpp_2m",
        "scheduler": "normal", "start_at_step": 25, "end_at_step": 10000, "return_with_leftover_noise": "disable",
        "model": ["22", 0], "positive": ["23", 0], "negative": ["24", 0], "latent_image": ["3", 0]}},
    "22": {"class_type": "CheckpointLoaderSimple", "inputs": {"ckpt_name": "sd_xl_refiner_1.0.safetensors"}},
    "23": {"class_type": "CLIPTextEncodeSDXLRefiner", "inputs": {
        "ascore": 6, "width": 1024, "height": 768, "text": "a lighthouse on a cliff at dusk", "clip": ["22", 1]}},
    "24": {"class_type": "CLIPTextEncodeSDXLRefiner", "inputs": {
        "ascore": 2.5, "width": 1024, "height": 768, "text": "blurry, low quality", "clip": ["22", 1]}},
}

# The editor graph: a reroute between the positive encoder and the sampler, the seed from a
# primitive node, a muted second sampler, links in the array form of version 0.4.
def node(id_, type_, inputs=(), widgets=(), mode=0, outputs=()):
    return {"id": id_, "type": type_, "pos": [100 * id_, 80], "size": [315, 262], "flags": {}, "order": id_,
            "mode": mode, "inputs": [{"name": n, "type": t, "link": l} for n, t, l in inputs],
            "outputs": [{"name": n, "type": t, "links": l} for n, t, l in outputs],
            "properties": {"Node name for S&R": type_}, "widgets_values": list(widgets)}


WORKFLOW = {
    "last_node_id": 9, "last_link_id": 11,
    "nodes": [
        node(3, "KSampler", [("model", "MODEL", 1), ("positive", "CONDITIONING", 9), ("negative", "CONDITIONING", 6),
                             ("latent_image", "LATENT", 2), ("seed", "INT", 10)],
             [8566257, "randomize", 20, 8, "euler", "normal", 1]),
        node(4, "CheckpointLoaderSimple", [], ["v1-5-pruned-emaonly.safetensors"],
             outputs=[("MODEL", "MODEL", [1, 11]), ("CLIP", "CLIP", [3, 5])]),
        node(5, "EmptyLatentImage", [], [512, 640, 1]),
        node(6, "CLIPTextEncode", [("clip", "CLIP", 3)], ["beautiful scenery, glass bottle with a galaxy inside"]),
        node(7, "CLIPTextEncode", [("clip", "CLIP", 5)], ["text, watermark"]),
        node(8, "Reroute", [("", "*", 4)], []),
        node(9, "PrimitiveNode", [], [1234567890123, "fixed"]),
        node(10, "KSampler", [("model", "MODEL", 11), ("positive", "CONDITIONING", 7),
                              ("negative", "CONDITIONING", 8), ("latent_image", "LATENT", 12)],
             [1, "fixed", 10, 7, "euler", "normal", 1], mode=2),
    ],
    "links": [[1, 4, 0, 3, 0, "MODEL"], [2, 5, 0, 3, 3, "LATENT"], [3, 4, 1, 6, 0, "CLIP"],
              [4, 6, 0, 8, 0, "CONDITIONING"], [5, 4, 1, 7, 0, "CLIP"], [6, 7, 0, 3, 2, "CONDITIONING"],
              [9, 8, 0, 3, 1, "CONDITIONING"], [10, 9, 0, 3, 4, "INT"], [7, 6, 0, 10, 1, "CONDITIONING"],
              [8, 7, 0, 10, 2, "CONDITIONING"], [11, 4, 0, 10, 0, "MODEL"], [12, 5, 0, 10, 3, "LATENT"]],
    "groups": [], "config": {}, "extra": {"ds": {"scale": 1, "offset": [0, 0]}}, "version": 0.4,
}
write("comfyui.png", png(ihdr(8, 8), text("prompt", json.dumps(API)), text("workflow", json.dumps(WORKFLOW)),
                         idat(8, 8)))
write("comfyui-workflow.png", png(ihdr(8, 8), text("workflow", json.dumps(WORKFLOW)), idat(8, 8)))

NOVELAI = {"prompt": "1girl, reading in a library, soft light", "steps": 28, "height": 1216, "width": 832,
           "scale": 5.0, "uncond_scale": 1.0, "cfg_rescale": 0.0, "seed": 2717040125, "n_samples": 1,
           "noise_schedule": "karras", "sampler": "k_euler_ancestral", "sm": False, "sm_dyn": False,
           "uc": "lowres, bad anatomy, bad hands", "request_type": "PromptGenerateRequest",
           "signed_hash": "c2lnbmVkIGJ5IHRoZSB0ZXN0IGZpeHR1cmU="}
write("novelai.png", png(ihdr(8, 8), text("Title", "NovelAI generated image"),
                         text("Description", NOVELAI["prompt"]), text("Software", "NovelAI"),
                         text("Source", "NovelAI Diffusion V4.5 4BDE2A90"), text("Generation time", "2.61"),
                         text("Comment", json.dumps(NOVELAI)), idat(8, 8, 3, 2)))

# Version 4: the prompts as captions, one per character besides the base caption.
NOVELAI_V4 = {"v4_prompt": {"caption": {"base_caption": "two cats on a sofa", "char_captions": [
                  {"char_caption": "a black cat", "centers": [{"x": 0.3, "y": 0.5}]},
                  {"char_caption": "a white cat", "centers": [{"x": 0.7, "y": 0.5}]}]},
                  "use_coords": True, "use_order": True},
              "v4_negative_prompt": {"caption": {"base_caption": "blurry", "char_captions": []}},
              "steps": 23, "height": 832, "width": 1216, "scale": 6.0, "seed": 1077551930,
              "sampler": "k_euler_ancestral", "noise_schedule": "karras", "request_type": "PromptGenerateRequest"}
write("novelai-v4.png", png(ihdr(8, 8), text("Software", "NovelAI"), text("Source", "NovelAI Diffusion V4 Curated 7ABFFA2A"),
                            text("Comment", json.dumps(NOVELAI_V4)), idat(8, 8)))

INVOKEAI = {"generation_mode": "txt2img", "positive_prompt": "a red fox in fresh snow, golden hour",
            "negative_prompt": "cartoon", "width": 768, "height": 512, "seed": 4006111830, "rand_device": "cpu",
            "cfg_scale": 7.5, "cfg_rescale_multiplier": 0, "steps": 30, "scheduler": "dpmpp_2m_k",
            "model": {"key": "8f0c1d6e", "hash": "blake3:9b1c0f7e2d", "name": "Juggernaut XL v9", "base": "sdxl",
                      "type": "main"}, "app_version": "4.2.4"}
write("invokeai.png", png(ihdr(8, 8), itxt("invokeai_metadata", json.dumps(INVOKEAI)), idat(8, 8)))

# Entries that promise generation settings but do not hold them in that form.
write("damaged-json.png", png(ihdr(8, 8), text("prompt", json.dumps(API)[:-40]),
                              text("workflow", '{"nodes": "none", "links": 3}'),
                              text("Comment", "Taken on the beach at Brighton"),
                              text("invokeai_metadata", '["not", "an", "object"'),
                              text("parameters", ""), idat(8, 8)))

write("compressed-prompts.png", png(ihdr(8, 8), ztxt("parameters", A1111),
                                    itxt("prompt", json.dumps(API), compressed=True), idat(8, 8)))

# --- An animation with a prompt entry: acTL, fcTL/IDAT, fcTL/fdAT ---------------------------

def fctl(sequence, width, height, delay=10):
    return chunk("fcTL", struct.pack(">IIIIIHHBB", sequence, width, height, 0, 0, delay, 100, 0, 0))


def fdat(sequence, width, height, seed):
    raw = idat(width, height, 3, seed)
    return chunk("fdAT", struct.pack(">I", sequence) + raw[8:-4])


write("animated.png", png(ihdr(16, 16), chunk("acTL", struct.pack(">II", 3, 0)),
                          text("parameters", A1111), chunk("tIME", struct.pack(">HBBBBB", 2024, 5, 1, 10, 0, 0)),
                          fctl(0, 16, 16), idat(16, 16), fctl(1, 16, 16), fdat(2, 16, 16, 2),
                          fctl(3, 16, 16), fdat(4, 16, 16, 3), text("Comment", "frames after the first")))

# --- Every kind of chunk a removal takes or keeps, in a palette image ----------------------

def fixed(*values):
    return struct.pack(">" + "I" * len(values), *values)


palette = bytes(v for i in range(16) for v in (i * 16, 255 - i * 16, i * 8))
everything = png(
    ihdr(8, 8, 8, 3),
    chunk("gAMA", fixed(45455)),
    chunk("cHRM", fixed(31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000)),
    chunk("cICP", bytes([1, 13, 0, 1])),
    chunk("mDCV", struct.pack(">HHHHHHHHII", 35400, 14600, 8500, 39850, 6550, 2300, 15635, 16450, 10000000, 50)),
    chunk("cLLI", fixed(10000000, 4000000)),
    chunk("sBIT", bytes([5, 6, 5])),
    text("Author", "Ann Lee"),
    chunk("eXIf", tiff("MM")),
    chunk("tIME", struct.pack(">HBBBBB", 2024, 5, 2, 9, 30, 0)),
    chunk("PLTE", palette),
    chunk("tRNS", bytes(range(255, 239, -1))),
    chunk("bKGD", bytes([3])),
    chunk("hIST", struct.pack(">16H", *range(16))),
    chunk("pHYs", struct.pack(">IIB", 2835, 2835, 1)),
    chunk("caBX", box(b"jumb", description + manifest)),
    chunk("prVt", b"a private note of the camera maker"),
    chunk("aBCd", b"an unknown public chunk"),
    itxt("XML:com.adobe.xmp", XMP),
    ztxt("parameters", A1111),
    chunk("IDAT", zlib.compress(b"".join(b"\0" + bytes((x + y) % 16 for x in range(8)) for y in range(8)))),
    text("Comment", "after the image data"),
    chunk("tIME", struct.pack(">HBBBBB", 2024, 5, 3, 8, 0, 0)),
)
write("everything.png", everything)
