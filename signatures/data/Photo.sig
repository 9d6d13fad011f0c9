# Photo.sig - general photo pass
# Strong headers for photos and camera raw files. Tested in file order, the
# first record that matches a sector start wins, one file per match.
# Records sharing a prefix are ordered most particular first.

# JPEG. FFD8 (start of image) followed by the first marker. One record per
# common first marker. 50 MiB covers fine JPEGs from 100 to 200 MP bodies and phones.
# APP0 JFIF
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE0
Header_Offset : 1
Reserved : 0
Description : JPEG image JFIF

# APP1 Exif, what nearly every camera and phone writes
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE1
Header_Offset : 1
Reserved : 0
Description : JPEG image Exif

# Quantisation table first, no APP segment (some phones, dashcams, action cams).
# Exif thumbnails and raw previews also begin this way, so a JPEG whose
# thumbnail happens to sit on a sector start is cut there.
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFDB
Header_Offset : 1
Reserved : 0
Description : JPEG image without APP segment

# APP2 first (ICC profile or FlashPix data)
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE2
Header_Offset : 1
Reserved : 0
Description : JPEG image ICC profile first

# APP8 SPIFF
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE8
Header_Offset : 1
Reserved : 0
Description : JPEG image SPIFF

# APP13 Photoshop resources first
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFED
Header_Offset : 1
Reserved : 0
Description : JPEG image Photoshop resources first

# APP14 Adobe (CMYK and YCCK JPEGs)
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFEE
Header_Offset : 1
Reserved : 0
Description : JPEG image Adobe

# Comment segment first (webcams, some scanners)
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFFE
Header_Offset : 1
Reserved : 0
Description : JPEG image comment first

# PNG. 8-byte signature plus the IHDR chunk that must come first (length 13).
# Phones write PNG screenshots only, 64 MiB is ample.
Extension : .png
Max_File_Size : 67108864
Header : 89504E470D0A1A0A0000000D49484452
Header_Offset : 1
Reserved : 0
Description : PNG image

# GIF. Six-byte signature and version, both versions.
Extension : .gif
Max_File_Size : 33554432
Header : 474946383761
Header_Offset : 1
Reserved : 0
Description : GIF image 87a

Extension : .gif
Max_File_Size : 33554432
Header : 474946383961
Header_Offset : 1
Reserved : 0
Description : GIF image 89a

# WebP. RIFF form type WEBP at byte 8 plus the first chunk id VP8 (covers
# VP8 space, VP8L and VP8X). Not RIFF at byte 0, which WAV and AVI share.
Extension : .webp
Max_File_Size : 33554432
Header : 57454250565038
Header_Offset : 9
Reserved : 0
Description : WebP image

# HEIF family. ISO-BMFF ftyp box at byte 4 with the major brand.
# 50 MiB covers phone and camera HEIF stills and bursts.
Extension : .heic
Max_File_Size : 52428800
Header : 6674797068656963
Header_Offset : 5
Reserved : 0
Description : HEIC image

# heix is HEVC range extension (10-bit 422 stills from mirrorless cameras)
Extension : .heic
Max_File_Size : 52428800
Header : 6674797068656978
Header_Offset : 5
Reserved : 0
Description : HEIC image 10-bit

Extension : .heic
Max_File_Size : 52428800
Header : 6674797068657663
Header_Offset : 5
Reserved : 0
Description : HEIC image sequence

Extension : .heif
Max_File_Size : 52428800
Header : 667479706D696631
Header_Offset : 5
Reserved : 0
Description : HEIF image mif1

Extension : .heif
Max_File_Size : 52428800
Header : 667479706D736631
Header_Offset : 5
Reserved : 0
Description : HEIF image sequence msf1

Extension : .avif
Max_File_Size : 52428800
Header : 6674797061766966
Header_Offset : 5
Reserved : 0
Description : AVIF image

# Canon CR3 is ISO-BMFF with major brand crx. 100 MiB covers 45 MP bodies.
Extension : .cr3
Max_File_Size : 104857600
Header : 6674797063727820
Header_Offset : 5
Reserved : 0
Description : Canon CR3 raw

# Canon CR2 is TIFF little-endian with IFD0 at 0x10 and the marker CR right
# after, so it must come before the plain TIFF record below.
Extension : .cr2
Max_File_Size : 104857600
Header : 49492A00100000004352
Header_Offset : 1
Reserved : 0
Description : Canon CR2 raw

# Plain TIFF little-endian II*0. The first bytes cannot tell TIFF apart from
# the TIFF-based raws, so DNG, Sony ARW, Samsung SRW, Nikon NEF and NRW of
# the little-endian kind, Pentax PEF of the little-endian kind, and other
# TIFF-based raws all come out under this record as tif. They are valid TIFF
# files, so viewers open them, and renaming restores the raw extension.
# 256 MiB covers uncompressed 60 MP raws and pixel-shift files.
Extension : .tif
Max_File_Size : 268435456
Header : 49492A00
Header_Offset : 1
Reserved : 0
Description : TIFF image or TIFF-based raw little-endian

# Plain TIFF big-endian MM0*. Most Nikon NEF and Pentax PEF files and some
# DNG files start this way and come out under this record as tif.
Extension : .tif
Max_File_Size : 268435456
Header : 4D4D002A
Header_Offset : 1
Reserved : 0
Description : TIFF image or TIFF-based raw big-endian

# Olympus ORF replaces the TIFF magic 42 with RO or RS (MMOR on early bodies).
# 128 MiB covers high-resolution shot files.
Extension : .orf
Max_File_Size : 134217728
Header : 4949524F
Header_Offset : 1
Reserved : 0
Description : Olympus ORF raw

Extension : .orf
Max_File_Size : 134217728
Header : 49495253
Header_Offset : 1
Reserved : 0
Description : Olympus ORF raw RS

Extension : .orf
Max_File_Size : 134217728
Header : 4D4D4F52
Header_Offset : 1
Reserved : 0
Description : Olympus ORF raw big-endian

# Panasonic RW2 (and Leica RWL) replace the TIFF magic with 0x55.
# 320 MiB covers high-resolution mode files from full-frame bodies.
Extension : .rw2
Max_File_Size : 335544320
Header : 49495500
Header_Offset : 1
Reserved : 0
Description : Panasonic RW2 raw

# Fujifilm RAF starts with a 16-byte ASCII magic. 256 MiB covers
# uncompressed 100 MP medium-format files.
Extension : .raf
Max_File_Size : 268435456
Header : 46554A4946494C4D4343442D52415720
Header_Offset : 1
Reserved : 0
Description : Fujifilm RAF raw

# Canon CRW (CIFF) is byte order II, header length 26, then HEAPCCDR.
Extension : .crw
Max_File_Size : 33554432
Header : 49491A0000004845415043434452
Header_Offset : 1
Reserved : 0
Description : Canon CRW raw

# Sigma X3F starts with FOVb.
Extension : .x3f
Max_File_Size : 104857600
Header : 464F5662
Header_Offset : 1
Reserved : 0
Description : Sigma X3F raw

# Minolta MRW starts with 0 then MRM.
Extension : .mrw
Max_File_Size : 33554432
Header : 004D524D
Header_Offset : 1
Reserved : 0
Description : Minolta MRW raw

# Photoshop. 8BPS, version 1 (PSD) or 2 (PSB), then six reserved zero bytes.
Extension : .psd
Max_File_Size : 268435456
Header : 384250530001000000000000
Header_Offset : 1
Reserved : 0
Description : Photoshop document

Extension : .psb
Max_File_Size : 1073741824
Header : 384250530002000000000000
Header_Offset : 1
Reserved : 0
Description : Photoshop large document

# BMP. The 2-byte BM is too weak here (see PhotoAdv.sig). Bytes 6 to 9 are
# reserved and always zero, followed by the pixel data offset and the size
# of the info header, which are fixed for each common layout. So these
# records test 12 bytes at byte 6 (offset 7) and ignore BM and the file size.
# 64 MiB covers 24-bit bitmaps up to about 22 MP.
# 24 or 32 bit, 40-byte info header, no palette
Extension : .bmp
Max_File_Size : 67108864
Header : 000000003600000028000000
Header_Offset : 7
Reserved : 0
Description : BMP image 24 or 32 bit

# 8 bit, 40-byte info header, 256-colour palette
Extension : .bmp
Max_File_Size : 67108864
Header : 000000003604000028000000
Header_Offset : 7
Reserved : 0
Description : BMP image 8 bit

# 16 or 32 bit with three colour masks, 40-byte info header
Extension : .bmp
Max_File_Size : 67108864
Header : 000000004200000028000000
Header_Offset : 7
Reserved : 0
Description : BMP image with colour masks

# 108-byte V4 info header, no palette
Extension : .bmp
Max_File_Size : 67108864
Header : 000000007A0000006C000000
Header_Offset : 7
Reserved : 0
Description : BMP image V4 header

# 124-byte V5 info header, no palette
Extension : .bmp
Max_File_Size : 67108864
Header : 000000008A0000007C000000
Header_Offset : 7
Reserved : 0
Description : BMP image V5 header
