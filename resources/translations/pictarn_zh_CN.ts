<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BookmarkMenu</name>
    <message>
        <source>我的图像</source>
        <translation>我的图像</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Pictarn, an image browser for small touch screens.
Lists a folder&apos;s images, or shows the named images.</source>
        <translation>Pictarn，小触摸屏上的图像浏览器。
列出文件夹中的图像，或显示指定的图像。</translation>
    </message>
    <message>
        <source>Run as a photo frame over the folders&apos; pictures, full screen, for ever.</source>
        <translation>作为电子相框，全屏不停地播放这些文件夹中的图片。</translation>
    </message>
    <message>
        <source>Frame: take in the subfolders too.</source>
        <translation>相框：也包括子文件夹。</translation>
    </message>
    <message>
        <source>Frame: seconds each picture stays (the slide show&apos;s delay).</source>
        <translation>相框：每张图片停留的秒数（即幻灯片的间隔）。</translation>
    </message>
    <message>
        <source>SECONDS</source>
        <translation>SECONDS</translation>
    </message>
    <message>
        <source>Frame: keep the screen dark between these times; a touch wakes it.</source>
        <translation>相框：在这段时间内关闭屏幕；触摸即可唤醒。</translation>
    </message>
    <message>
        <source>HH:MM-HH:MM</source>
        <translation>HH:MM-HH:MM</translation>
    </message>
    <message>
        <source>Frame: the newest pictures first, not shuffled.</source>
        <translation>相框：最新的图片在前，不打乱顺序。</translation>
    </message>
    <message>
        <source>Frame: change pictures at once, without a crossfade.</source>
        <translation>相框：直接切换图片，不使用淡入淡出。</translation>
    </message>
    <message>
        <source>A folder to list, or images to show.</source>
        <translation>要列出的文件夹，或要显示的图像。</translation>
    </message>
    <message>
        <source>[FOLDER | IMAGE...]</source>
        <translation>[文件夹 | 图像...]</translation>
    </message>
    <message>
        <source>%1
Names that start with &apos;-&apos; go after &apos;--&apos;: pictarn -- NAME...</source>
        <translation>%1
以“-”开头的名称请放在“--”之后：pictarn -- 名称...</translation>
    </message>
    <message>
        <source>--interval takes a number of seconds (0 to 86400)</source>
        <translation>--interval 需要一个秒数（0 到 86400）</translation>
    </message>
    <message>
        <source>--blank takes two times, like 22:30-07:00</source>
        <translation>--blank 需要两个时间，例如 22:30-07:00</translation>
    </message>
    <message>
        <source>%1: no such file or folder (the folder it was started in is gone)</source>
        <translation>%1：没有这个文件或文件夹（启动时所在的文件夹已不存在）</translation>
    </message>
</context>
<context>
    <name>FileOperations</name>
    <message>
        <source>The folder has changed since it was listed</source>
        <translation>列出之后文件夹已改变</translation>
    </message>
    <message>
        <source>The file is gone</source>
        <translation>文件已不存在</translation>
    </message>
    <message>
        <source>The name is empty</source>
        <translation>名称为空</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a file name</source>
        <translation>“%1”不是文件名</translation>
    </message>
    <message>
        <source>A name cannot hold &quot;/&quot;</source>
        <translation>名称不能包含“/”</translation>
    </message>
    <message>
        <source>There is no folder %1</source>
        <translation>没有文件夹 %1</translation>
    </message>
    <message>
        <source>The name is too long</source>
        <translation>名称太长</translation>
    </message>
    <message>
        <source>%1 already exists</source>
        <translation>%1 已存在</translation>
    </message>
    <message>
        <source>%1 is in that folder already</source>
        <translation>%1 已在该文件夹中</translation>
    </message>
    <message>
        <source>%1 already exists there</source>
        <translation>%1 在那里已存在</translation>
    </message>
    <message>
        <source>%1 is another file now</source>
        <translation>%1 现在是另一个文件</translation>
    </message>
</context>
<context>
    <name>FrameMode</name>
    <message>
        <source>the frame needs a folder: pictarn --frame FOLDER...</source>
        <translation>相框需要一个文件夹：pictarn --frame FOLDER...</translation>
    </message>
    <message>
        <source>%1: no such folder (yet)</source>
        <translation>%1：没有这个文件夹（暂时）</translation>
    </message>
</context>
<context>
    <name>ImageListView</name>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
</context>
<context>
    <name>ImageViewer</name>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Fit to screen</source>
        <translation>适合屏幕</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>缩放</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>旋转</translation>
    </message>
    <message>
        <source>Brighter</source>
        <translation>变亮</translation>
    </message>
    <message>
        <source>Darker</source>
        <translation>变暗</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>Propertis   </source>
        <translation>属性</translation>
    </message>
    <message>
        <source>Full Screen </source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>Exit  </source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Rotate 90</source>
        <translation>旋转 90°</translation>
    </message>
    <message>
        <source>Rotate 180</source>
        <translation>旋转 180°</translation>
    </message>
    <message>
        <source>Rotate 270</source>
        <translation>旋转 270°</translation>
    </message>
    <message>
        <source>Rotate Best Fit</source>
        <translation>最佳旋转</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>正在载入…</translation>
    </message>
    <message>
        <source> image</source>
        <translation>图像</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <source>Kb</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>%1 colors</source>
        <translation>%1 色</translation>
    </message>
    <message>
        <source>True color</source>
        <translation>真彩色</translation>
    </message>
    <message>
        <source>Zooming in...</source>
        <translation>正在放大…</translation>
    </message>
    <message>
        <source>Zooming out...</source>
        <translation>正在缩小…</translation>
    </message>
    <message>
        <source>Zooming...</source>
        <translation>正在缩放…</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>文件名</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>格式</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>尺寸</source>
        <translation>尺寸</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Taken:</source>
        <translation>拍摄时间:</translation>
    </message>
    <message>
        <source>Camera:</source>
        <translation>相机:</translation>
    </message>
    <message>
        <source>Exposure:</source>
        <translation>曝光:</translation>
    </message>
    <message>
        <source>Aperture:</source>
        <translation>光圈:</translation>
    </message>
    <message>
        <source>ISO:</source>
        <translation>ISO:</translation>
    </message>
    <message>
        <source>Focal length:</source>
        <translation>焦距:</translation>
    </message>
    <message>
        <source>GPS:</source>
        <translation>GPS:</translation>
    </message>
</context>
<context>
    <name>KeysHelp</name>
    <message>
        <source>Keys and gestures</source>
        <translation>按键与手势</translation>
    </message>
    <message>
        <source>Escape or a tap closes this.</source>
        <translation>按 Escape 或轻触关闭。</translation>
    </message>
    <message>
        <source>F1, ?</source>
        <translation>F1、?</translation>
    </message>
    <message>
        <source>This help</source>
        <translation>本帮助</translation>
    </message>
    <message>
        <source>Tap, Space, Return</source>
        <translation>轻触、空格、回车</translation>
    </message>
    <message>
        <source>Open the picture</source>
        <translation>打开图片</translation>
    </message>
    <message>
        <source>Arrow keys</source>
        <translation>方向键</translation>
    </message>
    <message>
        <source>Move the selection</source>
        <translation>移动选择</translation>
    </message>
    <message>
        <source>Home, End</source>
        <translation>Home、End</translation>
    </message>
    <message>
        <source>First, last picture</source>
        <translation>第一张、最后一张</translation>
    </message>
    <message>
        <source>Drag a finger</source>
        <translation>手指拖动</translation>
    </message>
    <message>
        <source>Scroll</source>
        <translation>滚动</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Delete the picture (after a question)</source>
        <translation>删除图片（先询问）</translation>
    </message>
    <message>
        <source>F2</source>
        <translation>F2</translation>
    </message>
    <message>
        <source>Rename the picture</source>
        <translation>重命名图片</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>Read the folders again</source>
        <translation>重新读取文件夹</translation>
    </message>
    <message>
        <source>F11</source>
        <translation>F11</translation>
    </message>
    <message>
        <source>The picture full screen</source>
        <translation>全屏显示图片</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Open a folder</source>
        <translation>打开文件夹</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>Undo the last delete or rename</source>
        <translation>撤销上次删除或重命名</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Right, Page Down, Space; swipe left</source>
        <translation>右、Page Down、空格；向左滑</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>下一张</translation>
    </message>
    <message>
        <source>Left, Page Up, BackSpace; swipe right</source>
        <translation>左、Page Up、退格；向右滑</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>上一张</translation>
    </message>
    <message>
        <source>+, -; Ctrl+wheel</source>
        <translation>+、-；Ctrl+滚轮</translation>
    </message>
    <message>
        <source>Zoom in, out</source>
        <translation>放大、缩小</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>Fit to the screen</source>
        <translation>适合屏幕</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>Full size</source>
        <translation>原始大小</translation>
    </message>
    <message>
        <source>Drag; arrow keys</source>
        <translation>拖动；方向键</translation>
    </message>
    <message>
        <source>Move a zoomed picture</source>
        <translation>移动放大的图片</translation>
    </message>
    <message>
        <source>Escape, Return</source>
        <translation>Escape、回车</translation>
    </message>
    <message>
        <source>Close the viewer</source>
        <translation>关闭查看器</translation>
    </message>
    <message>
        <source>Tap, Escape</source>
        <translation>轻触、Escape</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Tap</source>
        <translation>轻触</translation>
    </message>
    <message>
        <source>Show or hide the control bar</source>
        <translation>显示或隐藏控制栏</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>空格</translation>
    </message>
    <message>
        <source>Pause, resume</source>
        <translation>暂停、继续</translation>
    </message>
    <message>
        <source>Right, Down, Return; swipe left</source>
        <translation>右、下、回车；向左滑</translation>
    </message>
    <message>
        <source>Left, Up; swipe right</source>
        <translation>左、上；向右滑</translation>
    </message>
    <message>
        <source>Previous picture (and pause)</source>
        <translation>上一张（并暂停）</translation>
    </message>
    <message>
        <source>Escape</source>
        <translation>Escape</translation>
    </message>
    <message>
        <source>End the show</source>
        <translation>结束放映</translation>
    </message>
</context>
<context>
    <name>PathChooser</name>
    <message>
        <source>Choose path:      </source>
        <translation>选择文件夹：</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>文件夹</translation>
    </message>
</context>
<context>
    <name>Pictarn</name>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Open dir    </source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Clear list  </source>
        <translation>清空列表</translation>
    </message>
    <message>
        <source>Slide Type  </source>
        <translation>幻灯片</translation>
    </message>
    <message>
        <source>Rename   </source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>About </source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Exit  </source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>书签</translation>
    </message>
    <message>
        <source>Thumbnails</source>
        <translation>缩略图</translation>
    </message>
    <message>
        <source>List</source>
        <translation>列表</translation>
    </message>
    <message>
        <source>SlideShow</source>
        <translation>幻灯片</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Set   </source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Full screen </source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>Show FullScreen</source>
        <translation>全屏显示</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>New Name: </source>
        <translation>新名称：</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>%1 moved to %2</source>
        <translation>%1 已移到 %2</translation>
    </message>
    <message>
        <source>%1 renamed to %2</source>
        <translation>%1 已改名为 %2</translation>
    </message>
    <message>
        <source>%1 was not put back: %2</source>
        <translation>%1 未能恢复：%2</translation>
    </message>
    <message>
        <source>%1 is back</source>
        <translation>%1 已恢复</translation>
    </message>
    <message>
        <source>Delete         
</source>
        <translation>删除
</translation>
    </message>
    <message>
        <source> ?</source>
        <translation>？</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>%1 cannot go to the trash:
%2</source>
        <translation>%1 无法移到回收站：
%2</translation>
    </message>
    <message>
        <source>Delete permanently</source>
        <translation>永久删除</translation>
    </message>
    <message>
        <source>%1 was not deleted:
%2</source>
        <translation>%1 未删除：
%2</translation>
    </message>
    <message>
        <source>  Ok  </source>
        <translation>确定</translation>
    </message>
    <message>
        <source>%1 moved to the trash</source>
        <translation>%1 已移到回收站</translation>
    </message>
    <message>
        <source>%1 deleted</source>
        <translation>%1 已删除</translation>
    </message>
    <message>
        <source>Keys and gestures</source>
        <translation>按键与手势</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>图片</translation>
    </message>
    <message>
        <source>Copy to</source>
        <translation>复制到</translation>
    </message>
    <message>
        <source>Move to</source>
        <translation>移动到</translation>
    </message>
    <message>
        <source>%1 was not copied:
%2</source>
        <translation>%1 未复制:
%2</translation>
    </message>
    <message>
        <source>%1 was not moved:
%2</source>
        <translation>%1 未移动:
%2</translation>
    </message>
    <message>
        <source>%1 copied to %2</source>
        <translation>%1 已复制到 %2</translation>
    </message>
    <message>
        <source>The copy of %1 is removed</source>
        <translation>%1 的副本已删除</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>版本 %1</translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation>许可证: %1</translation>
    </message>
    <message>
        <source>Keys and help: %1, &quot;Keys and taps&quot;</source>
        <translation>按键与帮助: %1, &quot;Keys and taps&quot;</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Pictarn</source>
        <translation>Pictarn</translation>
    </message>
    <message>
        <source>pictures missing from the data directory %1: %2</source>
        <translation>数据目录 %1 中缺少图片：%2</translation>
    </message>
    <message>
        <source>Pictarn - %1</source>
        <translation>Pictarn - %1</translation>
    </message>
    <message numerus="yes">
        <source>Pictarn - %n folders</source>
        <translation>
            <numerusform>Pictarn - %n 个文件夹</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: neither a folder nor an image</source>
        <translation>%1：既不是文件夹，也不是图像</translation>
    </message>
    <message>
        <source>%1: no such file or folder</source>
        <translation>%1：没有这个文件或文件夹</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Set   </source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation>缩略图</translation>
    </message>
    <message>
        <source>Slide Type  </source>
        <translation>幻灯片</translation>
    </message>
    <message>
        <source>Set bookmark</source>
        <translation>书签</translation>
    </message>
    <message>
        <source>Set thumbnail </source>
        <translation>缩略图设置</translation>
    </message>
    <message>
        <source>View Pics Size    </source>
        <translation>显示图片尺寸</translation>
    </message>
    <message>
        <source>View document role</source>
        <translation>显示扩展名</translation>
    </message>
    <message>
        <source>Save icons  </source>
        <translation>保存缩略图</translation>
    </message>
    <message>
        <source>Greater than:  </source>
        <translation>大于：</translation>
    </message>
    <message>
        <source> Kb</source>
        <translation> KB</translation>
    </message>
    <message>
        <source>Set Slde Type     </source>
        <translation>幻灯片设置</translation>
    </message>
    <message>
        <source>Changing Time: </source>
        <translation>切换时间：</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>Screen Setting </source>
        <translation>显示控制栏</translation>
    </message>
    <message>
        <source>Rotate Type </source>
        <translation>自动旋转</translation>
    </message>
    <message>
        <source>Pics Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>路径：</translation>
    </message>
    <message>
        <source>Pics name   </source>
        <translation>名称：</translation>
    </message>
    <message>
        <source>Pash:    </source>
        <translation>路径：</translation>
    </message>
    <message>
        <source>Add  </source>
        <translation>添加</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Save </source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Path     </source>
        <translation>路径</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>页面</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>相框</translation>
    </message>
    <message>
        <source>Empty trash</source>
        <translation>清空回收站</translation>
    </message>
    <message>
        <source>Start as a photo frame</source>
        <translation>启动为电子相框</translation>
    </message>
    <message>
        <source>Folders, one a line</source>
        <translation>文件夹(每行一个)</translation>
    </message>
    <message>
        <source>With subfolders</source>
        <translation>包括子文件夹</translation>
    </message>
    <message>
        <source>Shuffled</source>
        <translation>随机</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>最新优先</translation>
    </message>
    <message>
        <source>Dark HH:MM-HH:MM</source>
        <translation>熄屏 HH:MM-HH:MM</translation>
    </message>
    <message>
        <source>Crossfade</source>
        <translation>淡入淡出</translation>
    </message>
    <message>
        <source>Interval: the slide show&apos;s</source>
        <translation>间隔: 同幻灯片放映</translation>
    </message>
    <message>
        <source>The trash holds no picture that Pictarn put there.</source>
        <translation>回收站中没有 Pictarn 放入的图片。</translation>
    </message>
    <message numerus="yes">
        <source>Remove %n picture(s) that Pictarn put in the trash (%1) for good?</source>
        <translation>
            <numerusform>永久删除 Pictarn 放入回收站的 %n 张图片 (%1)?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) removed, %1 freed.</source>
        <translation>
            <numerusform>已删除 %n 张图片, 释放 %1。</numerusform>
        </translation>
    </message>
    <message>
        <source>Order of the pictures</source>
        <translation>图片顺序</translation>
    </message>
    <message>
        <source>Dark hours, HH:MM-HH:MM</source>
        <translation>熄屏时段，HH:MM-HH:MM</translation>
    </message>
</context>
<context>
    <name>SlideShow</name>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Pause, resume</source>
        <translation>暂停、继续</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>下一张</translation>
    </message>
</context>
<context>
    <name>SortMenu</name>
    <message>
        <source>Sort by</source>
        <translation>排序方式</translation>
    </message>
    <message>
        <source>Reversed</source>
        <translation>倒序</translation>
    </message>
</context>
<context>
    <name>SortOrder</name>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Date taken</source>
        <translation>拍摄日期</translation>
    </message>
    <message>
        <source>File date</source>
        <translation>文件日期</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>no screen to show on with the &quot;%1&quot; platform (is the display or framebuffer device there?)</source>
        <translation>“%1”平台上没有可显示的屏幕（显示器或帧缓冲设备是否存在？）</translation>
    </message>
</context>
<context>
    <name>TransferMenu</name>
    <message>
        <source>Choose folder...</source>
        <translation>选择文件夹...</translation>
    </message>
</context>
<context>
    <name>Trash</name>
    <message>
        <source>The folder has changed since it was listed</source>
        <translation>列出之后文件夹已改变</translation>
    </message>
    <message>
        <source>Another %1 is there now: both are kept</source>
        <translation>已有另一个 %1：两者都保留</translation>
    </message>
</context>
<context>
    <name>UTIL_CST</name>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
</context>
<context>
    <name>ZoomPopup</name>
    <message>
        <source>Zoom</source>
        <translation>缩放</translation>
    </message>
    <message>
        <source>Zoom %1% </source>
        <translation>缩放 %1%</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Full size</source>
        <translation>原始大小</translation>
    </message>
</context>
</TS>
