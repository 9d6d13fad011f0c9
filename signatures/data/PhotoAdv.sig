# PhotoAdv.sig - thorough photo pass
# Looser headers that catch what Photo.sig misses. Their finds go to a
# separate folder. Short headers also match inside other files now and then,
# so expect some pieces and false starts here.
# First record that matches a sector start wins.

# Any JPEG marker after FFD8. Catches JPEGs starting with markers not listed
# in the general set (APP3 to APP12, DHT, SOF) and the JPEG previews inside
# raw files and other containers whenever they sit on a sector start.
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FF
Header_Offset : 1
Reserved : 0
Description : JPEG image any first marker

# Any HEIF brand starting with he (heim, heis, hevx and others) at byte 8
Extension : .heic
Max_File_Size : 52428800
Header : 667479706865
Header_Offset : 5
Reserved : 0
Description : HEIF image other brand

# WebP whose first chunk is not a VP8 chunk, RIFF form type only
Extension : .webp
Max_File_Size : 33554432
Header : 57454250
Header_Offset : 9
Reserved : 0
Description : WebP image other layout

# BigTIFF, magic 43 instead of 42, both byte orders
Extension : .tif
Max_File_Size : 268435456
Header : 49492B00
Header_Offset : 1
Reserved : 0
Description : BigTIFF image little-endian

Extension : .tif
Max_File_Size : 268435456
Header : 4D4D002B
Header_Offset : 1
Reserved : 0
Description : BigTIFF image big-endian

# Bare BM. Catches bitmaps whose offset and info header do not fit the
# general records (small palettes, OS2 headers). Two bytes only, so it also
# fires inside other data about once in 65536 sectors. Kept last.
Extension : .bmp
Max_File_Size : 67108864
Header : 424D
Header_Offset : 1
Reserved : 0
Description : BMP image any layout
