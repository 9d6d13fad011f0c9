Extension : .zip
Max_File_Size : 100
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : ZIP
Extension : x
Max_File_Size : 1
Header: 41
Header_Offset : nn
Reserved : 0
Description : a.b
