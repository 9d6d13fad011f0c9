# PhotoAdv.sig - thorough photo pass
# Looser headers that catch what Photo.sig misses. Their finds go to a
# separate folder. Short headers also match inside other files now and then,
# so expect some pieces and false starts here.
# First record that matches a sector start wins.

# JPEG whose first marker after FFD8 is one the general set does not name
# (APP3 to APP12 and APP15, DHT, SOF, DAC, DRI). Catches those JPEGs and the
# JPEG previews inside raw files and other containers whenever they sit on a
# sector start. None of these matches where a general JPEG header does, so
# nothing the general pass found is saved a second time.
Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE3
Header_Offset : 1
Reserved : 0
Description : JPEG image APP3 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE4
Header_Offset : 1
Reserved : 0
Description : JPEG image APP4 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE5
Header_Offset : 1
Reserved : 0
Description : JPEG image APP5 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE6
Header_Offset : 1
Reserved : 0
Description : JPEG image APP6 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE7
Header_Offset : 1
Reserved : 0
Description : JPEG image APP7 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFE9
Header_Offset : 1
Reserved : 0
Description : JPEG image APP9 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFEA
Header_Offset : 1
Reserved : 0
Description : JPEG image APP10 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFEB
Header_Offset : 1
Reserved : 0
Description : JPEG image APP11 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFEC
Header_Offset : 1
Reserved : 0
Description : JPEG image APP12 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFEF
Header_Offset : 1
Reserved : 0
Description : JPEG image APP15 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC4
Header_Offset : 1
Reserved : 0
Description : JPEG image DHT first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC0
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF0 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC1
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF1 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC2
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF2 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC3
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF3 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC5
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF5 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC6
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF6 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC7
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF7 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFC9
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF9 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFCA
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF10 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFCB
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF11 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFCD
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF13 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFCE
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF14 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFCF
Header_Offset : 1
Reserved : 0
Description : JPEG image SOF15 first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFCC
Header_Offset : 1
Reserved : 0
Description : JPEG image DAC first

Extension : .jpg
Max_File_Size : 52428800
Header : FFD8FFDD
Header_Offset : 1
Reserved : 0
Description : JPEG image DRI first

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
