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
