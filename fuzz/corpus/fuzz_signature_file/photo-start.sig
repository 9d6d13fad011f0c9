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
