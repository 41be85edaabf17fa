<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>BookmarkMenu</name>
    <message>
        <source>我的图像</source>
        <translation>My Images</translation>
    </message>
</context>
<context>
    <name>FileOperations</name>
    <message>
        <source>The folder has changed since it was listed</source>
        <translation>The folder has changed since it was listed</translation>
    </message>
    <message>
        <source>The file is gone</source>
        <translation>The file is gone</translation>
    </message>
    <message>
        <source>The name is empty</source>
        <translation>The name is empty</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a file name</source>
        <translation>&quot;%1&quot; is not a file name</translation>
    </message>
    <message>
        <source>A name cannot hold &quot;/&quot;</source>
        <translation>A name cannot hold &quot;/&quot;</translation>
    </message>
    <message>
        <source>There is no folder %1</source>
        <translation>There is no folder %1</translation>
    </message>
    <message>
        <source>The name is too long</source>
        <translation>The name is too long</translation>
    </message>
    <message>
        <source>%1 already exists</source>
        <translation>%1 already exists</translation>
    </message>
</context>
<context>
    <name>ImageListView</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
</context>
<context>
    <name>ImageViewer</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Fit to screen</source>
        <translation>Fit to screen</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>Brighter</source>
        <translation>Brighter</translation>
    </message>
    <message>
        <source>Darker</source>
        <translation>Darker</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Propertis   </source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>Full Screen </source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Exit  </source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Rotate 90</source>
        <translation>Rotate 90</translation>
    </message>
    <message>
        <source>Rotate 180</source>
        <translation>Rotate 180</translation>
    </message>
    <message>
        <source>Rotate 270</source>
        <translation>Rotate 270</translation>
    </message>
    <message>
        <source>Rotate Best Fit</source>
        <translation>Rotate Best Fit</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source> image</source>
        <translation> image</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source>Kb</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>%1 colors</source>
        <translation>%1 colours</translation>
    </message>
    <message>
        <source>True color</source>
        <translation>True colour</translation>
    </message>
    <message>
        <source>Zooming in...</source>
        <translation>Zooming in...</translation>
    </message>
    <message>
        <source>Zooming out...</source>
        <translation>Zooming out...</translation>
    </message>
    <message>
        <source>Zooming...</source>
        <translation>Zooming...</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>尺寸</source>
        <translation>Dimensions</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>PathChooser</name>
    <message>
        <source>Choose path:      </source>
        <translation>Choose a folder:</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Pictarn</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Open dir    </source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>Clear list  </source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>Slide Type  </source>
        <translation>Slide show</translation>
    </message>
    <message>
        <source>Rename   </source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>About </source>
        <translation>About</translation>
    </message>
    <message>
        <source>Exit  </source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>Bookmarks</translation>
    </message>
    <message>
        <source>Thumbnails</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>List</source>
        <translation>List</translation>
    </message>
    <message>
        <source>SlideShow</source>
        <translation>Slide show</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Set   </source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Full screen </source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Show FullScreen</source>
        <translation>Show full screen</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source> - %1 folders</source>
        <translation> - %1 folders</translation>
    </message>
    <message>
        <source>New Name: </source>
        <translation>New name:</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 moved to %2</source>
        <translation>%1 moved to %2</translation>
    </message>
    <message>
        <source>%1 renamed to %2</source>
        <translation>%1 renamed to %2</translation>
    </message>
    <message>
        <source>%1 was not put back: %2</source>
        <translation>%1 was not put back: %2</translation>
    </message>
    <message>
        <source>%1 is back</source>
        <translation>%1 is back</translation>
    </message>
    <message>
        <source>Delete         
</source>
        <translation>Delete
</translation>
    </message>
    <message>
        <source> ?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 cannot go to the trash:
%2</source>
        <translation>%1 cannot go to the trash:
%2</translation>
    </message>
    <message>
        <source>Delete permanently</source>
        <translation>Delete permanently</translation>
    </message>
    <message>
        <source>%1 was not deleted:
%2</source>
        <translation>%1 was not deleted:
%2</translation>
    </message>
    <message>
        <source>  Ok  </source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 moved to the trash</source>
        <translation>%1 moved to the trash</translation>
    </message>
    <message>
        <source>%1 deleted</source>
        <translation>%1 deleted</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Set   </source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>Slide Type  </source>
        <translation>Slide show</translation>
    </message>
    <message>
        <source>Set bookmark</source>
        <translation>Bookmarks</translation>
    </message>
    <message>
        <source>Set thumbnail </source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>View Pics Size    </source>
        <translation>Show picture sizes</translation>
    </message>
    <message>
        <source>View document role</source>
        <translation>Show file endings</translation>
    </message>
    <message>
        <source>Save icons  </source>
        <translation>Keep thumbnails</translation>
    </message>
    <message>
        <source>Greater than:  </source>
        <translation>Larger than:</translation>
    </message>
    <message>
        <source> Kb</source>
        <translation> KB</translation>
    </message>
    <message>
        <source>Set Slde Type     </source>
        <translation>Set Slide Type</translation>
    </message>
    <message>
        <source>Changing Time: </source>
        <translation>Time per slide:</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Screen Setting </source>
        <translation>Show the control bar</translation>
    </message>
    <message>
        <source>Rotate Type </source>
        <translation>Turn to fit</translation>
    </message>
    <message>
        <source>Pics Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Pics name   </source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Pash:    </source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Add  </source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Save </source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Path     </source>
        <translation>Path</translation>
    </message>
</context>
<context>
    <name>Trash</name>
    <message>
        <source>The folder has changed since it was listed</source>
        <translation>The folder has changed since it was listed</translation>
    </message>
    <message>
        <source>Another %1 is there now: both are kept</source>
        <translation>Another %1 is there now: both are kept</translation>
    </message>
</context>
<context>
    <name>UTIL_CST</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
</context>
<context>
    <name>ZoomPopup</name>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Zoom %1% </source>
        <translation>Zoom %1%</translation>
    </message>
</context>
</TS>
