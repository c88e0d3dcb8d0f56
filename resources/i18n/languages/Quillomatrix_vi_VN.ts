<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="vi_VN" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>设置配置表信息失败！</source>
        <translation>Đổi tên cấu hình thất bại!</translation>
    </message>
    <message>
        <source>增加配置表失败！</source>
        <translation>Thêm cấu hình thất bại!</translation>
    </message>
    <message>
        <source>删除配置表失败！</source>
        <translation>Xóa cấu hình thất bại!</translation>
    </message>
    <message>
        <source>选择配置文件</source>
        <translation>Chọn tệp cấu hình</translation>
    </message>
    <message>
        <source>配置文件(*.aaa);;所有文件(*)</source>
        <translation>Tệp cấu hình (*.aaa);;Tất cả tệp (*)</translation>
    </message>
    <message>
        <source>导出配置中......</source>
        <translation>Đang xuất cấu hình......</translation>
    </message>
    <message>
        <source>写入配置成功</source>
        <translation>Đã ghi cấu hình</translation>
    </message>
    <message>
        <source>写入配置失败</source>
        <translation>Ghi cấu hình thất bại</translation>
    </message>
    <message>
        <source>导入配置中......</source>
        <translation>Đang nhập cấu hình......</translation>
    </message>
    <message>
        <source>导入配置成功</source>
        <translation>Đã nhập cấu hình</translation>
    </message>
    <message>
        <source>导入配置失败</source>
        <translation>Nhập cấu hình thất bại</translation>
    </message>
    <message>
        <source>磁性键盘</source>
        <translation>Bàn phím từ tính</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Thiết bị</translation>
    </message>
    <message>
        <source>固件</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Cài đặt</translation>
    </message>
    <message>
        <source>通讯方式</source>
        <translation>Kiểu kết nối</translation>
    </message>
    <message>
        <source>蓝牙</source>
        <translation>Bluetooth</translation>
    </message>
    <message>
        <source>常用配置</source>
        <translation>Cấu hình</translation>
    </message>
    <message>
        <source>点击恢复显示</source>
        <translation>Nhấp để hiển thị lại cửa sổ</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Thông báo</translation>
    </message>
    <message>
        <source>程序已最小化到托盘</source>
        <translation>Chương trình đã được thu nhỏ xuống khay hệ thống</translation>
    </message>
    <message>
        <source>窗口最小化</source>
        <translation>Thu nhỏ cửa sổ</translation>
    </message>
    <message>
        <source>窗口最大化</source>
        <translation>Phóng to cửa sổ</translation>
    </message>
    <message>
        <source>恢复原始大小</source>
        <translation>Khôi phục kích thước ban đầu</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Thoát</translation>
    </message>
    <message>
        <source>键盘数据同步中</source>
        <translation>Đang đồng bộ dữ liệu bàn phím</translation>
    </message>
    <message>
        <source>读取配置失败</source>
        <translation>Đọc cấu hình thất bại</translation>
    </message>
</context>
<context>
    <name>SystemSetForm</name>
    <message>
        <source>返回</source>
        <translation>Quay lại</translation>
    </message>
    <message>
        <source>检测版本</source>
        <translation>Kiểm tra phiên bản</translation>
    </message>
    <message>
        <source>开机自动启动：</source>
        <translation>Khởi động cùng hệ thống:</translation>
    </message>
    <message>
        <source>开机后自动启动磁性键盘软件</source>
        <translation>Tự động chạy phần mềm bàn phím từ tính khi máy tính khởi động</translation>
    </message>
    <message>
        <source>关闭时最小化到托盘：</source>
        <translation>Thu nhỏ xuống khay khi đóng:</translation>
    </message>
    <message>
        <source>磁性键盘关闭时，最小化到系统托盘</source>
        <translation>Khi đóng phần mềm bàn phím từ tính, thu nhỏ xuống khay hệ thống</translation>
    </message>
    <message>
        <source>语言：</source>
        <translation>Ngôn ngữ:</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Theo hệ thống</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>Tiếng Trung giản thể</translation>
    </message>
    <message>
        <source>越南语</source>
        <translation>Tiếng Việt</translation>
    </message>
    <message>
        <source>设置磁性软件的语言</source>
        <translation>Chọn ngôn ngữ của phần mềm</translation>
    </message>
    <message>
        <source>主题：</source>
        <translation>Giao diện:</translation>
    </message>
    <message>
        <source>亮色主题</source>
        <translation>Giao diện sáng</translation>
    </message>
    <message>
        <source>暗色主题</source>
        <translation>Giao diện tối</translation>
    </message>
    <message>
        <source>设置磁性软件的主题</source>
        <translation>Chọn giao diện của phần mềm</translation>
    </message>
    <message>
        <source>固件工具：</source>
        <translation>Công cụ firmware:</translation>
    </message>
    <message>
        <source>开启后可以强制升级产品固件，不对固件校验产品类型</source>
        <translation>Khi bật, có thể buộc nâng cấp firmware của sản phẩm mà không kiểm tra loại sản phẩm</translation>
    </message>
    <message>
        <source>磁性键盘软件版本-</source>
        <translation>Phiên bản phần mềm bàn phím từ tính-</translation>
    </message>
    <message>
        <source>更新错误: </source>
        <translation>Lỗi cập nhật: </translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>-V</source>
        <translation>-V</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Thông báo</translation>
    </message>
    <message>
        <source>没有新版本</source>
        <translation>Không có phiên bản mới</translation>
    </message>
    <message>
        <source>发现新版本</source>
        <translation>Đã tìm thấy phiên bản mới</translation>
    </message>
    <message>
        <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
        <translation>Đã tìm thấy phiên bản mới %1

Nội dung cập nhật:
%2

Tải bản cập nhật ngay bây giờ?</translation>
    </message>
    <message>
        <source>正在下载更新...</source>
        <translation>Đang tải bản cập nhật...</translation>
    </message>
    <message>
        <source>下载文件校验失败</source>
        <translation>Kiểm tra tệp đã tải xuống thất bại</translation>
    </message>
    <message>
        <source>安装</source>
        <translation>Cài đặt</translation>
    </message>
    <message>
        <source>下载完成，是否安装...</source>
        <translation>Đã tải xong. Cài đặt ngay?</translation>
    </message>
    <message>
        <source>正在安装更新...</source>
        <translation>Đang cài đặt bản cập nhật...</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Có</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Không</translation>
    </message>
</context>
<context>
    <name>DeviceManageForm</name>
    <message>
        <source>打开设备</source>
        <translation>Mở thiết bị</translation>
    </message>
    <message>
        <source>正在搜索蓝牙，请稍候...</source>
        <translation>Đang tìm thiết bị Bluetooth, vui lòng chờ...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Hủy</translation>
    </message>
    <message>
        <source>未搜索到蓝牙</source>
        <translation>Không tìm thấy bàn phím Bluetooth</translation>
    </message>
    <message>
        <source>键盘数据同步中</source>
        <translation>Đang đồng bộ dữ liệu bàn phím</translation>
    </message>
    <message>
        <source>读取配置失败</source>
        <translation>Đọc cấu hình thất bại</translation>
    </message>
    <message>
        <source>没有匹配的产品，请联系厂家同步更新</source>
        <translation>Không có sản phẩm phù hợp, vui lòng liên hệ nhà sản xuất để cập nhật</translation>
    </message>
    <message>
        <source>资源包解压失败</source>
        <translation>Giải nén gói tài nguyên thất bại</translation>
    </message>
    <message>
        <source>找不到产品型号，请确认软件是否正确</source>
        <translation>Không tìm thấy mẫu sản phẩm, vui lòng kiểm tra phần mềm có đúng không</translation>
    </message>
    <message>
        <source>打开设备失败</source>
        <translation>Mở thiết bị thất bại</translation>
    </message>
</context>
<context>
    <name>QDeviceAddWidget</name>
    <message>
        <source>打开设备</source>
        <translation>Mở thiết bị</translation>
    </message>
</context>
<context>
    <name>PageTitleBar</name>
    <message>
        <source>改键设置</source>
        <translation>Phím</translation>
    </message>
    <message>
        <source>灯光设置</source>
        <translation>Đèn</translation>
    </message>
    <message>
        <source>高级键设置</source>
        <translation>Phím nâng cao</translation>
    </message>
    <message>
        <source>宏设置</source>
        <translation>Macro</translation>
    </message>
    <message>
        <source>性能设置</source>
        <translation>Hiệu năng</translation>
    </message>
    <message>
        <source>校准设置</source>
        <translation>Hiệu chuẩn</translation>
    </message>
    <message>
        <source>其他设置</source>
        <translation>Khác</translation>
    </message>
</context>
<context>
    <name>KeySetForm</name>
    <message>
        <source>普通层</source>
        <translation>Lớp thường</translation>
    </message>
    <message>
        <source>Fn</source>
        <translation>Lớp Fn</translation>
    </message>
    <message>
        <source>键盘按键</source>
        <translation>Bàn phím</translation>
    </message>
    <message>
        <source>系统按键</source>
        <translation>Hệ thống</translation>
    </message>
    <message>
        <source>宏按键</source>
        <translation>Macro</translation>
    </message>
    <message>
        <source>灯效按键</source>
        <translation>Hiệu ứng đèn</translation>
    </message>
    <message>
        <source>扩展按键</source>
        <translation>Chức năng</translation>
    </message>
    <message>
        <source>按键设置失败</source>
        <translation>Không thể đổi phím</translation>
    </message>
    <message>
        <source>重置键盘数据成功！</source>
        <translation>Đã đặt lại dữ liệu bàn phím!</translation>
    </message>
</context>
<context>
    <name>QInputKeyboardWidget</name>
    <message>
        <source>恢复默认</source>
        <translation>Mặc định</translation>
    </message>
    <message>
        <source>无效键</source>
        <translation>Tắt phím</translation>
    </message>
    <message>
        <source>全恢复</source>
        <translation>Đặt lại</translation>
    </message>
</context>
<context>
    <name>MacroSetForm</name>
    <message>
        <source>开始录制</source>
        <translation>Bắt đầu ghi</translation>
    </message>
    <message>
        <source>停止录制</source>
        <translation>Dừng ghi</translation>
    </message>
    <message>
        <source>清除全部</source>
        <translation>Xóa tất cả</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Lưu</translation>
    </message>
    <message>
        <source>宏设置</source>
        <translation>Bước</translation>
    </message>
    <message>
        <source>按键内容</source>
        <translation>Phím</translation>
    </message>
    <message>
        <source>按键类型</source>
        <translation>Thao tác</translation>
    </message>
    <message>
        <source>按下</source>
        <translation>Nhấn</translation>
    </message>
    <message>
        <source>抬起</source>
        <translation>Nhả</translation>
    </message>
    <message>
        <source>持续时间(ms)</source>
        <translation>Chờ (ms)</translation>
    </message>
    <message>
        <source>最大添加20个按键</source>
        <translation>Macro có tối đa 20 bước</translation>
    </message>
    <message>
        <source>宏数据同步成功!</source>
        <translation>Đã đồng bộ dữ liệu macro!</translation>
    </message>
    <message>
        <source>宏数据同步失败</source>
        <translation>Không lưu được macro</translation>
    </message>
</context>
<context>
    <name>PerformanceSetForm</name>
    <message>
        <source>请在下方选择需要修改的按键</source>
        <translation>Chọn các phím cần thay đổi bên dưới</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Chọn tất cả</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Đảo chọn</translation>
    </message>
    <message>
        <source>取消全选</source>
        <translation>Bỏ chọn</translation>
    </message>
    <message>
        <source>单位：mm</source>
        <translation>Đơn vị: mm</translation>
    </message>
    <message>
        <source>触发行程</source>
        <translation>Điểm kích hoạt</translation>
    </message>
    <message>
        <source>快速触发行程</source>
        <translation>Độ nhạy nhấn</translation>
    </message>
    <message>
        <source>快速重置行程</source>
        <translation>Độ nhạy nhả</translation>
    </message>
    <message>
        <source>按键在按压到固定位置后触发，回弹到固定位置后释放。触发行程越低，物理响应速度越快，但更容易误触触发按键所需要按下的距离</source>
        <translation>Phím kích hoạt khi được nhấn tới điểm này và nhả khi nảy lên qua điểm đó. Hành trình càng ngắn thì phản hồi càng nhanh, nhưng càng dễ kích hoạt nhầm.</translation>
    </message>
    <message>
        <source>快速触发模式</source>
        <translation>Kích hoạt nhanh</translation>
    </message>
    <message>
        <source>当按键按下超过设置的触发行程后，并且已经松开至快速重置状态，重新按下按键达所设置的灵敏度，即可继续触发</source>
        <translation>Khi phím đã qua điểm kích hoạt và được nhả vào trạng thái đặt lại nhanh, nhấn thêm đúng khoảng này sẽ kích hoạt lại.</translation>
    </message>
    <message>
        <source>当按键按下超过设置的触发行程后，松开按键达到所设置的灵敏度，即可停止触发</source>
        <translation>Khi phím đã qua điểm kích hoạt, nhả ra đúng khoảng này sẽ dừng kích hoạt.</translation>
    </message>
    <message>
        <source>连续快速触发</source>
        <translation>Kích hoạt nhanh liên tục</translation>
    </message>
    <message>
        <source>启用时，快速触发在您完全松开按键时才会终止。禁用时，松开按键到轴体触发行程后终止快速触发。如果您想连续敲击一个键（比如在游玩osu!)而不用顾虑触发行程的话，请启用这个功能</source>
        <translation>Khi bật, kích hoạt nhanh chỉ kết thúc khi phím được nhả hoàn toàn; khi tắt, nó kết thúc khi phím nảy lên qua điểm kích hoạt. Hãy bật nếu muốn gõ liên tục một phím (như khi chơi osu!) mà không cần để ý điểm kích hoạt.</translation>
    </message>
    <message>
        <source>断触优化</source>
        <translation>Tối ưu chạm đáy</translation>
    </message>
    <message>
        <source>部分种类的轴体的行程可能会产生±0.2mm的公差，启用后，只要触底即判定为触发，以便免误重置</source>
        <translation>Hành trình của một số loại trục có dung sai ±0,2 mm. Khi bật, phím chạm đáy luôn được tính là đang nhấn, tránh bị nhả nhầm.</translation>
    </message>
    <message>
        <source>轮询率</source>
        <translation>Tần số quét</translation>
    </message>
    <message>
        <source>防抖等级</source>
        <translation>Mức chống dội</translation>
    </message>
    <message>
        <source>竞技模式</source>
        <translation>Chế độ thi đấu</translation>
    </message>
    <message>
        <source>搭载高性能竞技固件，开启后RT最低可达0.02 mm（极限状态下，任何轻微抖动都可能被识别并执行，请谨慎使用）</source>
        <translation>Firmware thi đấu hiệu năng cao: kích hoạt nhanh xuống tới 0,02 mm (ở mức này mọi rung nhẹ đều có thể được ghi nhận; hãy dùng cẩn thận).</translation>
    </message>
    <message>
        <source>死区设置-按下(触发）</source>
        <translation>Vùng chết – nhấn (kích hoạt)</translation>
    </message>
    <message>
        <source>死区设置-抬起(重置）</source>
        <translation>Vùng chết – nhả (đặt lại)</translation>
    </message>
    <message>
        <source>高</source>
        <translation>Cao</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Thấp</translation>
    </message>
    <message>
        <source>请先选择要设置的按键</source>
        <translation>Hãy chọn phím cần cài đặt trước</translation>
    </message>
    <message>
        <source>键盘没有确认修改，已恢复为键盘中的设置</source>
        <translation>Bàn phím không xác nhận thay đổi: trang hiển thị lại cài đặt của bàn phím</translation>
    </message>
</context>
<context>
    <name>QNatureLabel</name>
    <message>
        <source>快速触发模式:已开启</source>
        <translation>Kích hoạt nhanh: bật</translation>
    </message>
    <message>
        <source>快速触发模式:已关闭</source>
        <translation>Kích hoạt nhanh: tắt</translation>
    </message>
    <message>
        <source>连续快速触发:已开启</source>
        <translation>Kích hoạt nhanh liên tục: bật</translation>
    </message>
    <message>
        <source>连续快速触发:已关闭</source>
        <translation>Kích hoạt nhanh liên tục: tắt</translation>
    </message>
</context>
<context>
    <name>LightSetForm</name>
    <message>
        <source>全选</source>
        <translation>Chọn tất cả</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Đảo chọn</translation>
    </message>
    <message>
        <source>取消全选</source>
        <translation>Bỏ chọn</translation>
    </message>
    <message>
        <source>选择模式</source>
        <translation>Chế độ</translation>
    </message>
    <message>
        <source>请选择一种灯光模式</source>
        <translation>Hãy chọn một chế độ đèn</translation>
    </message>
    <message>
        <source>亮度</source>
        <translation>Độ sáng</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Tốc độ</translation>
    </message>
    <message>
        <source>全彩</source>
        <translation>Đa sắc</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Theo phím</translation>
    </message>
    <message>
        <source>请先选择要设置的按键，再修改亮度或颜色！</source>
        <translation>Hãy chọn phím trước, rồi đổi độ sáng hoặc màu!</translation>
    </message>
    <message>
        <source>请先选择颜色，再修改亮度！</source>
        <translation>Hãy chọn màu trước, rồi đổi độ sáng!</translation>
    </message>
    <message>
        <source>灯光设置失败</source>
        <translation>Không đổi được đèn</translation>
    </message>
</context>
<context>
    <name>QColorChooser</name>
    <message>
        <source>默认颜色</source>
        <translation>Màu có sẵn</translation>
    </message>
    <message>
        <source>自定义颜色</source>
        <translation>Màu tùy chọn</translation>
    </message>
</context>
<context>
    <name>HighKeyForm</name>
    <message>
        <source>切换开关</source>
        <translation>Bật/tắt</translation>
    </message>
    <message>
        <source>按住/单击</source>
        <translation>Giữ/Nhấn</translation>
    </message>
    <message>
        <source>动态键程</source>
        <translation>Hành trình động</translation>
    </message>
    <message>
        <source>RS</source>
        <translation>RS</translation>
    </message>
    <message>
        <source>OKS</source>
        <translation>OKS</translation>
    </message>
    <message>
        <source>SOCD</source>
        <translation>SOCD</translation>
    </message>
    <message>
        <source>首先选择任意按键来绑定高级键。每个配置文件最多可使用 32 个高级键。 当前绑定项：</source>
        <translation>Hãy chọn một phím trước rồi gán phím nâng cao. Mỗi cấu hình dùng tối đa 32 phím nâng cao. Đã gán: </translation>
    </message>
    <message>
        <source>请先选择要设置的按键</source>
        <translation>Hãy chọn phím trước</translation>
    </message>
    <message>
        <source>该高级键已不存在</source>
        <translation>Phím nâng cao này không còn nữa</translation>
    </message>
    <message>
        <source>已绑定 32 个高级键，请先删除不用的高级键</source>
        <translation>Đã gán đủ 32 phím nâng cao: hãy xóa bớt phím không dùng</translation>
    </message>
    <message>
        <source>高级键设置失败</source>
        <translation>Không lưu được phím nâng cao</translation>
    </message>
    <message>
        <source>重置键盘数据成功！</source>
        <translation>Đã đặt lại dữ liệu bàn phím!</translation>
    </message>
</context>
<context>
    <name>QHighKeyAddWidget</name>
    <message>
        <source>+ 添加按键</source>
        <translation>+ Thêm phím</translation>
    </message>
</context>
<context>
    <name>QHighKeyItemWidget</name>
    <message>
        <source>删除</source>
        <translation>Xóa</translation>
    </message>
</context>
<context>
    <name>QHighKeyDialog</name>
    <message>
        <source>删除</source>
        <translation>Xóa</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Hủy</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Lưu</translation>
    </message>
    <message>
        <source>已绑定 32 个高级键，请先删除不用的高级键</source>
        <translation>Đã gán đủ 32 phím nâng cao: hãy xóa bớt phím không dùng</translation>
    </message>
</context>
<context>
    <name>QDksAddDialog</name>
    <message>
        <source>动态键程(DKS)</source>
        <translation>Hành trình động (DKS)</translation>
    </message>
    <message>
        <source>磁轴高级键，可以将一个按键根据按压和松开的程度不同，绑定1至4种功能</source>
        <translation>Một phím, 1 đến 4 chức năng: mỗi hàng là một hành động, kích hoạt tại các điểm được chọn khi nhấn xuống hoặc nhả ra.</translation>
    </message>
</context>
<context>
    <name>QMtAddDialog</name>
    <message>
        <source>按住/单击(MT)</source>
        <translation>Giữ/Nhấn (MT)</translation>
    </message>
    <message>
        <source>单击和长按分别对应不同的按键。 长按所对应的按键也可以是切层，这可以极大地扩展键盘的可能性。</source>
        <translation>Nhấn nhanh và nhấn giữ gửi các phím khác nhau. Phím khi giữ cũng có thể chuyển lớp, giúp mở rộng rất nhiều khả năng của bàn phím.</translation>
    </message>
    <message>
        <source>单击</source>
        <translation>Nhấn</translation>
    </message>
    <message>
        <source>长按</source>
        <translation>Giữ</translation>
    </message>
    <message>
        <source>按住时间</source>
        <translation>Thời gian giữ</translation>
    </message>
    <message>
        <source>由于判断是否为单击需要时间，触发单击按键会比正常按键慢。给此按键开启快速 触发，并降低重置距离会改善，但是仍不如正常按键。</source>
        <translation>Cần thời gian để phân biệt nhấn nhanh với nhấn giữ, nên phím nhấn nhanh kích hoạt chậm hơn phím thường. Bật kích hoạt nhanh cho phím này và giảm khoảng cách nhả sẽ cải thiện, nhưng vẫn chậm hơn phím thường.</translation>
    </message>
</context>
<context>
    <name>QTglAddDialog</name>
    <message>
        <source>切换开关(TGL)</source>
        <translation>Bật/tắt (TGL)</translation>
    </message>
    <message>
        <source>单击按键可开关持续触发，按住按键则为正常触发行为</source>
        <translation>Nhấn phím để bật hoặc tắt kích hoạt liên tục; giữ phím thì hoạt động như bình thường.</translation>
    </message>
    <message>
        <source>触发</source>
        <translation>Kích hoạt</translation>
    </message>
</context>
<context>
    <name>QPairKeyDialog</name>
    <message>
        <source>按键1</source>
        <translation>Phím 1</translation>
    </message>
    <message>
        <source>按键2</source>
        <translation>Phím 2</translation>
    </message>
    <message>
        <source>请先选择要设置的按键</source>
        <translation>Hãy chọn phím trước</translation>
    </message>
    <message>
        <source>请在键盘上选择按键2</source>
        <translation>Hãy chọn phím 2 trên bàn phím</translation>
    </message>
    <message>
        <source>按键1和按键2不能是同一个按键</source>
        <translation>Phím 1 và phím 2 phải là hai phím khác nhau</translation>
    </message>
</context>
<context>
    <name>QRsAddDialog</name>
    <message>
        <source>RS监控</source>
        <translation>RS</translation>
    </message>
    <message>
        <source>RS监控2个选定的键,并激活按下的键。例如,当A键被按下时,如果D键比A键按得更深,则D键会立即激活。一旦您释放了D键,A键就会激活。</source>
        <translation>RS theo dõi 2 phím đã chọn và kích hoạt phím được nhấn sâu hơn. Ví dụ, khi đang giữ A mà D được nhấn sâu hơn A thì D kích hoạt ngay; khi nhả D, A kích hoạt lại.</translation>
    </message>
</context>
<context>
    <name>QOksAddDialog</name>
    <message>
        <source>OKS监控</source>
        <translation>OKS</translation>
    </message>
    <message>
        <source>OKS监控2个选定的键,并激活按下的键。例如,当A键与D键绑定时时。一旦您释放了D键,A键就会激活，同理释放A键,D键也会激活。</source>
        <translation>OKS theo dõi 2 phím đã chọn và kích hoạt phím được nhấn. Ví dụ, khi A gắn với D: nhả D thì A kích hoạt, tương tự nhả A thì D kích hoạt.</translation>
    </message>
</context>
<context>
    <name>QSocdAddDialog</name>
    <message>
        <source>SOCD</source>
        <translation>SOCD</translation>
    </message>
    <message>
        <source>SOCD指的是一种技术，用于处理同时按下对立方向键时的输入。具体来说，当玩家在操作设备时，如果同时按下两个方向键（如上和下，左和右），SOCD 技术会根据设定的规则或算法来决定如何处理这些输入，以避免冲突或错误。</source>
        <translation>SOCD xử lý việc nhấn cùng lúc hai phím hướng đối nghịch, như lên và xuống hoặc trái và phải: quy tắc chọn bên dưới sẽ giải quyết xung đột.</translation>
    </message>
    <message>
        <source>行为模式</source>
        <translation>Chế độ</translation>
    </message>
    <message>
        <source>最后输入优先级</source>
        <translation>Phím nhấn sau thắng</translation>
    </message>
    <message>
        <source>绝对按键1优先</source>
        <translation>Phím 1 luôn thắng</translation>
    </message>
    <message>
        <source>绝对按键2优先</source>
        <translation>Phím 2 luôn thắng</translation>
    </message>
    <message>
        <source>抵消模式</source>
        <translation>Triệt tiêu</translation>
    </message>
</context>
<context>
    <name>FirewareManageForm</name>
    <message>
        <source>键盘已断开，固件没有写完。请插上键盘，再写一次固件。</source>
        <translation>Bàn phím đã bị ngắt kết nối khi firmware chưa được ghi xong. Hãy cắm bàn phím vào và ghi lại firmware.</translation>
    </message>
    <message>
        <source>键盘一直忙，固件没有写完。请稍后再写一次固件。</source>
        <translation>Bàn phím luôn bận nên firmware chưa được ghi xong. Hãy ghi lại firmware sau.</translation>
    </message>
    <message>
        <source>下载固件失败</source>
        <translation>Tải firmware thất bại</translation>
    </message>
    <message>
        <source>下载固件中，请不要执行其他操作</source>
        <translation>Đang tải firmware, vui lòng không thao tác gì khác</translation>
    </message>
</context>
<context>
    <name>HidAccessCheck</name>
    <message>
        <source>没有权限打开键盘设备 %1。请运行 scripts/udev-rule.sh 安装 udev 规则，然后重新插入键盘。</source>
        <translation>Không có quyền mở thiết bị bàn phím %1. Hãy chạy scripts/udev-rule.sh để cài quy tắc udev, rồi cắm lại bàn phím.</translation>
    </message>
</context>
<context>
    <name>QCustomProgressDialog</name>
    <message>
        <source>取消</source>
        <translation>Hủy</translation>
    </message>
</context>
<context>
    <name>QFirewareItemWidget</name>
    <message>
        <source>固件下载</source>
        <translation>Tải firmware</translation>
    </message>
</context>
<context>
    <name>AlignSetForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>Bắt đầu hiệu chuẩn</translation>
    </message>
    <message>
        <source>保存校准</source>
        <translation>Lưu hiệu chuẩn</translation>
    </message>
    <message>
        <source>打开ADC</source>
        <translation>Mở ADC</translation>
    </message>
    <message>
        <source>关闭ADC</source>
        <translation>Đóng ADC</translation>
    </message>
    <message>
        <source>温馨提示：请单个按压键盘按键，完全按压直到触底并保持触底，（上下左右四个方向）晃动一下，持续2秒以上，最后完全松开，每个按键建议重复整个过程两到三次。
警告提示：关闭软件或者退出校准界面之前，请保存校准。如果意外关闭了软件，没有退出校准，导致键盘一直常量灯或者键盘工作不正常，请重新插拔键盘。</source>
        <translation>Mẹo: nhấn từng phím một xuống hết cỡ và giữ nguyên, lắc nhẹ một lần (lên, xuống, trái, phải) trong ít nhất 2 giây, rồi thả hẳn ra. Nên lặp lại hai đến ba lần cho mỗi phím.
Cảnh báo: hãy lưu hiệu chuẩn trước khi đóng phần mềm hoặc rời trang này. Nếu phần mềm bị đóng khi đang hiệu chuẩn và bàn phím sáng liên tục hoặc hoạt động không bình thường, hãy rút bàn phím ra và cắm lại.</translation>
    </message>
    <message>
        <source>打开校准失败</source>
        <translation>Không thể bắt đầu hiệu chuẩn</translation>
    </message>
    <message>
        <source>保存校准失败</source>
        <translation>Lưu hiệu chuẩn thất bại</translation>
    </message>
</context>
<context>
    <name>OtherSetForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>键盘固件版本：V</source>
        <translation>Firmware bàn phím: V</translation>
    </message>
    <message>
        <source>更新固件</source>
        <translation>Cập nhật</translation>
    </message>
    <message>
        <source>暂无新版本</source>
        <translation>Chưa có phiên bản mới</translation>
    </message>
    <message>
        <source>查看新版本</source>
        <translation>Xem</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Khôi phục cài đặt gốc</translation>
    </message>
    <message>
        <source>立即恢复</source>
        <translation>Khôi phục ngay</translation>
    </message>
    <message>
        <source>所有设置将恢复到出厂状态，请谨慎操作。</source>
        <translation>Mọi cài đặt sẽ trở về trạng thái xuất xưởng. Hãy thao tác cẩn thận.</translation>
    </message>
    <message>
        <source>磁性键盘固件数据</source>
        <translation>Dữ liệu firmware bàn phím</translation>
    </message>
    <message>
        <source>更新数据</source>
        <translation>Cập nhật</translation>
    </message>
    <message>
        <source>没有新版本</source>
        <translation>Không có phiên bản mới hơn</translation>
    </message>
    <message>
        <source>更新错误: </source>
        <translation>Lỗi cập nhật: </translation>
    </message>
    <message>
        <source>发现新版本 %1

更新内容:
%2

是否立即下载更新?</source>
        <translation>Đã tìm thấy phiên bản mới %1

Nội dung cập nhật:
%2

Tải bản cập nhật ngay bây giờ?</translation>
    </message>
    <message>
        <source>发现新版本</source>
        <translation>Đã tìm thấy phiên bản mới</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Có</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Không</translation>
    </message>
    <message>
        <source>正在下载更新...</source>
        <translation>Đang tải bản cập nhật...</translation>
    </message>
    <message>
        <source>下载文件校验失败</source>
        <translation>Tệp tải về không vượt qua kiểm tra</translation>
    </message>
    <message>
        <source>同步</source>
        <translation>Ghi vào bàn phím</translation>
    </message>
    <message>
        <source>下载完成，是否同步键盘固件...</source>
        <translation>Đã tải xong. Ghi firmware vào bàn phím?</translation>
    </message>
    <message>
        <source>选择固件数据文件</source>
        <translation>Chọn tệp dữ liệu firmware</translation>
    </message>
    <message>
        <source>固件数据文件(*.bin);;所有文件(*)</source>
        <translation>Tệp dữ liệu firmware (*.bin);;Tất cả tệp (*)</translation>
    </message>
    <message>
        <source>下载键盘固件中，请不要执行其他操作</source>
        <translation>Đang ghi firmware bàn phím, vui lòng không thao tác khác</translation>
    </message>
    <message>
        <source>下载固件数据中，请不要执行其他操作</source>
        <translation>Đang ghi dữ liệu firmware, vui lòng không thao tác khác</translation>
    </message>
    <message>
        <source>打开文件失败！</source>
        <translation>Không mở được tệp!</translation>
    </message>
    <message>
        <source>固件数据不匹配！</source>
        <translation>Dữ liệu firmware không khớp với phần đầu tệp!</translation>
    </message>
    <message>
        <source>下载固件失败！</source>
        <translation>Ghi firmware thất bại!</translation>
    </message>
    <message>
        <source>下载固件数据失败！</source>
        <translation>Ghi dữ liệu firmware thất bại!</translation>
    </message>
    <message>
        <source>固件升级成功，如果没连上设备，请重新拔插USB线！</source>
        <translation>Cập nhật firmware thành công. Nếu bàn phím không kết nối lại, hãy rút cáp USB và cắm lại!</translation>
    </message>
    <message>
        <source>固件数据下载成功！</source>
        <translation>Đã ghi dữ liệu firmware!</translation>
    </message>
    <message>
        <source>你确定要恢复出厂设置吗？</source>
        <translation>Bạn có chắc muốn khôi phục cài đặt gốc cho bàn phím?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Khôi phục</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Hủy</translation>
    </message>
    <message>
        <source>恢复出厂设置中，请不要执行其他操作</source>
        <translation>Đang khôi phục cài đặt gốc, vui lòng không thao tác khác</translation>
    </message>
    <message>
        <source>恢复出厂设置成功！</source>
        <translation>Đã khôi phục cài đặt gốc!</translation>
    </message>
    <message>
        <source>恢复出厂设置失败！</source>
        <translation>Khôi phục cài đặt gốc thất bại!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Thông báo</translation>
    </message>
</context>
</TS>
