// The bridge's named register fields, by index. A field spread over several
// registers is split into parts, low value bits first.
#include "rg7sdk/register_field_table.h"

namespace rg7 {
namespace {

// {register, access width, shift in the register, shift in the value, mask in the register}
const RegisterFieldPart kVXP_PCI_DMA_VID_ADDR1[] = {{0, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_VID_ADDR2[] = {{1, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_VID_PTO_ADDR1[] = {{2, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_VID_PTO_ADDR2[] = {{3, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_ADDR[] = {{4, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_PTO_ADDR[] = {{5, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_ADDR1[] = {{6, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_ADDR2[] = {{7, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_PTO_ADDR1[] = {{8, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_PTO_ADDR2[] = {{9, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_MPGVBI_ADDR[] = {{10, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_MPGVBI_PTO_ADDR[] = {{11, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_VID_STRIDE_CNT[] = {{12, 4, 0, 0, 0x7FF}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_COUNTER[] = {{13, 4, 0, 0, 0x7FFF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_DWORD_CNT[] = {{14, 4, 7, 0, 0x1F80}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_STRIDE_CNT[] = {{14, 4, 0, 0, 0x7F}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_VBI_DWORD_CNT[] = {{15, 4, 0, 0, 0x7FFFF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_FIFO_LOW[] = {{16, 4, 0, 0, 0xF}};
const RegisterFieldPart kVXP_PCI_DMA_BITMASK_FIFO_HIGH[] = {{16, 4, 4, 0, 0xF0}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_FIFO_LOW[] = {{16, 4, 8, 0, 0xF00}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_FIFO_HIGH[] = {{16, 4, 12, 0, 0xF000}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_VBI_FIFO_LOW[] = {{24, 4, 17, 0, 0xFE0000}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_VBI_FIFO_HIGH[] = {{24, 4, 24, 0, 0x7F000000}};
const RegisterFieldPart kVXP_PCI_DMA_VIDEO_FIFO_LOW[] = {{16, 4, 16, 0, 0x3F0000}};
const RegisterFieldPart kVXP_PCI_DMA_VIDEO_FIFO_HIGH[] = {{16, 4, 24, 0, 0x3F000000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_REQ[] = {{17, 4, 29, 0, 0x20000000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_LOAD[] = {{17, 4, 28, 0, 0x10000000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_ENDIAN_TYPE[] = {{17, 4, 26, 0, 0xC000000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_PROG[] = {{17, 4, 25, 0, 0x2000000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_FIFO_FLUSH[] = {{17, 4, 24, 0, 0x1000000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_PTR_REQ[] = {{17, 4, 23, 0, 0x800000}};
const RegisterFieldPart kVXP_PCI_DMA_VID_PTR_FIFO_FL[] = {{17, 4, 22, 0, 0x400000}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_REQ[] = {{17, 4, 21, 0, 0x200000}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_LOAD[] = {{17, 4, 20, 0, 0x100000}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_ENDIAN_TYPE[] = {{17, 4, 18, 0, 0xC0000}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_FIFO_FLUSH[] = {{17, 4, 17, 0, 0x20000}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_PTR_REQ[] = {{17, 4, 16, 0, 0x10000}};
const RegisterFieldPart kVXP_PCI_DMA_AUD_PTR_FIFO_FL[] = {{17, 4, 15, 0, 0x8000}};
const RegisterFieldPart kVXP_PCI_DMA_BMASK_REQ[] = {{17, 4, 14, 0, 0x4000}};
const RegisterFieldPart kVXP_PCI_DMA_BMASK_LOAD[] = {{17, 4, 13, 0, 0x2000}};
const RegisterFieldPart kVXP_PCI_DMA_BMASK_ENDIAN_TYPE[] = {{17, 4, 11, 0, 0x1800}};
const RegisterFieldPart kVXP_PCI_DMA_BMASK_FIFO_FLUSH[] = {{17, 4, 10, 0, 0x400}};
const RegisterFieldPart kVXP_PCI_DMA_BMASK_PTR_REQ[] = {{17, 4, 9, 0, 0x200}};
const RegisterFieldPart kVXP_PCI_DMA_BMASK_PTR_FIFO_FL[] = {{17, 4, 8, 0, 0x100}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_VBI_SEL[] = {{17, 4, 7, 0, 0x80}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_VBI_REQ[] = {{17, 4, 6, 0, 0x40}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_LOAD[] = {{17, 4, 5, 0, 0x20}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_ENDIAN_TYPE[] = {{17, 4, 3, 0, 0x18}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_FIFO_FLUSH[] = {{17, 4, 2, 0, 0x4}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_PTR_REQ[] = {{17, 4, 1, 0, 0x2}};
const RegisterFieldPart kVXP_PCI_DMA_MPG_PTR_FIFO_FL[] = {{17, 4, 0, 0, 0x1}};
const RegisterFieldPart kVXP_PCI_SYS_MEM_PAGE[] = {{18, 4, 6, 0, 0xFC0}};
const RegisterFieldPart kVXP_PCI_SLAVE_DIS_EN[] = {{18, 4, 14, 0, 0x4000}};
const RegisterFieldPart kVXP_PCI_RETRY_RESET[] = {{18, 4, 15, 0, 0x8000}};
const RegisterFieldPart kVXP_PCI_GLOBAL_FAST_REGWRITE[] = {{18, 4, 16, 0, 0x10000}};
const RegisterFieldPart kVXP_PCI_GLOBAL_RESET[] = {{18, 4, 17, 0, 0x20000}};
const RegisterFieldPart kVXP_PCI_SOFTWARE_RESET[] = {{18, 4, 18, 0, 0x40000}};
const RegisterFieldPart kVXP_PCI_VIDSTRM_UNPACK[] = {{18, 4, 19, 0, 0x80000}};
const RegisterFieldPart kVXP_PCI_VID_FIFO_OFLOW[] = {{19, 4, 19, 0, 0x80000}};
const RegisterFieldPart kVXP_PCI_VID_FIFO_UFLOW[] = {{19, 4, 18, 0, 0x40000}};
const RegisterFieldPart kVXP_PCI_AUD_FIFO_OFLOW[] = {{19, 4, 17, 0, 0x20000}};
const RegisterFieldPart kVXP_PCI_AUD_FIFO_UFLOW[] = {{19, 4, 16, 0, 0x10000}};
const RegisterFieldPart kVXP_PCI_BMASK_FIFO_OFLOW[] = {{19, 4, 15, 0, 0x8000}};
const RegisterFieldPart kVXP_PCI_BMASK_FIFO_UFLOW[] = {{19, 4, 14, 0, 0x4000}};
const RegisterFieldPart kVXP_PCI_MPG_FIFO_OFLOW[] = {{19, 4, 13, 0, 0x2000}};
const RegisterFieldPart kVXP_PCI_MPG_FIFO_UFLOW[] = {{19, 4, 12, 0, 0x1000}};
const RegisterFieldPart kVXP_VID_DCD_INT[] = {{19, 4, 11, 0, 0x800}};
const RegisterFieldPart kVXP_VID_EFIELD_INT[] = {{19, 4, 10, 0, 0x400}};
const RegisterFieldPart kVXP_VID_OFIELD_INT[] = {{19, 4, 9, 0, 0x200}};
const RegisterFieldPart kVXP_VID_FRAME_ACTIVE_INT[] = {{19, 4, 8, 0, 0x100}};
const RegisterFieldPart kVXP_VID_PIPELINE_EN_INT[] = {{19, 4, 7, 0, 0x80}};
const RegisterFieldPart kVXP_VID_PIPELINE_DIS_INT[] = {{19, 4, 6, 0, 0x40}};
const RegisterFieldPart kVXP_VID_PCI_DMA_2_INT[] = {{19, 4, 5, 0, 0x20}};
const RegisterFieldPart kVXP_VID_PCI_DMA_1_INT[] = {{19, 4, 4, 0, 0x10}};
const RegisterFieldPart kVXP_AUD_PCI_DMA_INT[] = {{19, 4, 3, 0, 0x8}};
const RegisterFieldPart kVXP_CODEC_PCI_DMA_INT[] = {{19, 4, 1, 0, 0x2}};
const RegisterFieldPart kVXP_MPG_PCI_DMA_INT[] = {{19, 4, 0, 0, 0x1}};
const RegisterFieldPart kVXP_PCI_VID_FIFO_OFLOW_MASK[] = {{20, 4, 19, 0, 0x80000}};
const RegisterFieldPart kVXP_PCI_VID_FIFO_UFLOW_MASK[] = {{20, 4, 18, 0, 0x40000}};
const RegisterFieldPart kVXP_PCI_AUD_FIFO_OFLOW_MASK[] = {{20, 4, 17, 0, 0x20000}};
const RegisterFieldPart kVXP_PCI_AUD_FIFO_UFLOW_MASK[] = {{20, 4, 16, 0, 0x10000}};
const RegisterFieldPart kVXP_PCI_BMASK_FIFO_OFLOW_MASK[] = {{20, 4, 15, 0, 0x8000}};
const RegisterFieldPart kVXP_PCI_BMASK_FIFO_UFLOW_MASK[] = {{20, 4, 14, 0, 0x4000}};
const RegisterFieldPart kVXP_PCI_MPG_FIFO_OFLOW_MASK[] = {{20, 4, 13, 0, 0x2000}};
const RegisterFieldPart kVXP_PCI_MPG_FIFO_UFLOW_MASK[] = {{20, 4, 12, 0, 0x1000}};
const RegisterFieldPart kVXP_VID_DCD_INT_MASK[] = {{20, 4, 11, 0, 0x800}};
const RegisterFieldPart kVXP_VID_EFIELD_INT_MASK[] = {{20, 4, 10, 0, 0x400}};
const RegisterFieldPart kVXP_VID_OFIELD_INT_MASK[] = {{20, 4, 9, 0, 0x200}};
const RegisterFieldPart kVXP_VID_FRAME_ACTIVE_INT_MASK[] = {{20, 4, 8, 0, 0x100}};
const RegisterFieldPart kVXP_VID_PIPELINE_EN_INT_MASK[] = {{20, 4, 7, 0, 0x80}};
const RegisterFieldPart kVXP_VID_PIPELINE_DIS_INT_MASK[] = {{20, 4, 6, 0, 0x40}};
const RegisterFieldPart kVXP_VID_PCI_DMA_2_INT_MASK[] = {{20, 4, 5, 0, 0x20}};
const RegisterFieldPart kVXP_VID_PCI_DMA_1_INT_MASK[] = {{20, 4, 4, 0, 0x10}};
const RegisterFieldPart kVXP_AUD_PCI_DMA_INT_MASK[] = {{20, 4, 3, 0, 0x8}};
const RegisterFieldPart kVXP_CODEC_PCI_DMA_INT_MASK[] = {{20, 4, 1, 0, 0x2}};
const RegisterFieldPart kVXP_MPG_PCI_DMA_INT_MASK[] = {{20, 4, 0, 0, 0x1}};
const RegisterFieldPart kVXP_AUD_CFG_DMA_EN[] = {{128, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_AUD_CFG_DATA_ORDER[] = {{128, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_AUD_CFG_PCM_INPUTS[] = {{128, 1, 2, 0, 0xC}};
const RegisterFieldPart kVXP_AUD_CFG_BYTE_ORDER[] = {{128, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_AUD_CFG_ACLK_RISE_FALL[] = {{128, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_AUD_CFG_LEFT_RIGHT_CH[] = {{128, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_AUD_CFG_DELAY_ADAT[] = {{128, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_AUD_CFG_EXT_CLK[] = {{129, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_AUD_CFG_I2S_INOUT[] = {{129, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_AUD_CFG_INBUF_FULL[] = {{129, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_AUD_OUT_CLK_SCALER[] = {{130, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_MPG_CFG_UVI[] = {{144, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_MPG_CFG_MO_IN[] = {{144, 1, 1, 0, 0x6}};
const RegisterFieldPart kVXP_MPG_CFG_ADD_DATA_MUX[] = {{144, 1, 3, 0, 0x18}};
const RegisterFieldPart kVXP_MPG_CFG_EXT_CLK[] = {{144, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_MPG_CFG_FAST_DMA[] = {{144, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_MPG_CFG_SL_ADD_INC[] = {{145, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_MPG_CFG_GEN_DMA[] = {{145, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_MPG_CFG_POL_ALE[] = {{145, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_MPG_CFG_DMA_ACK[] = {{145, 1, 3, 0, 0x8}};
const RegisterFieldPart kVXP_MPG_CFG_IRQ_POL[] = {{145, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_MPG_CFG_IRQ_WAIT[] = {{145, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_MPG_CFG_TIMER_EN[] = {{146, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_MPG_CFG_TIMEOUT[] = {{146, 1, 1, 0, 0x1E}};
const RegisterFieldPart kVXP_MPG_CFG_SLV_SMARTDUMB[] = {{146, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_MPG_CFG_SW_RESET[] = {{146, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_MPG_SLV_ADD_BYTE[] = {{148, 1, 0, 0, 0xFF}, {149, 1, 0, 8, 0xFF}};
const RegisterFieldPart kVXP_GIO_CTL_A[] = {{160, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_GIO_CTL_B[] = {{161, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_VBI_ODD_FIELD_START[] = {{112, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_VBI_SGL_FIELD_START[] = {{112, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_VBI_XFER_NEW_FRM[] = {{112, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_VBI_XFER_START_PT[] = {{112, 1, 3, 0, 0x18}};
const RegisterFieldPart kVXP_VBI_16BIT_XFER[] = {{112, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_VBI_BYTE_ORDER_SWAP[] = {{112, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_VBI_FIFO_CLK[] = {{112, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_VBI_XFER_ENA[] = {{113, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_VBI_FULL_FRME_XFR[] = {{113, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_VBI_HDAT_SEL[] = {{113, 1, 2, 0, 0xC}};
const RegisterFieldPart kVXP_VBI_HS_POL[] = {{113, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_VBI_TEST_MODE[] = {{113, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_VBI_LINE_SEL[] = {{114, 1, 0, 0, 0xFF}, {115, 1, 0, 8, 0xFF}, {116, 1, 0, 16, 0xFF}};
const RegisterFieldPart kVXP_VBI_LINE_SEL_BASE1[] = {{117, 1, 0, 0, 0xFF}, {118, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VBI_LINE_SEL_BASE2[] = {{119, 1, 0, 0, 0xFF}, {120, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VBI_BLK_XFER_TOP[] = {{121, 1, 0, 0, 0xFF}, {122, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VBI_BLK_XFER_BOTTOM[] = {{123, 1, 0, 0, 0xFF}, {124, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VIO_HS_WIDTH[] = {{41, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_VIO_VS_WIDTH[] = {{42, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_VIO_WIDTH[] = {{43, 1, 0, 0, 0xFF}, {45, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VIO_HEIGHT[] = {{44, 1, 0, 0, 0xFF}, {45, 1, 2, 8, 0xC}};
const RegisterFieldPart kVXP_VSB_HORIZ_SYNC_POL[] = {{45, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_VSB_VERT_SYNC_POL[] = {{45, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_VSB_EXTERNAL_SYNC[] = {{45, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_VSB_PX[] = {{45, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_I2CC_CLKOUT[] = {{52, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_I2CC_CLKEN[] = {{52, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_I2CC_DATA_VAL[] = {{52, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_I2CC_DATA_OUT[] = {{52, 1, 3, 0, 0x8}};
const RegisterFieldPart kVXP_I2CC_CLKIN[] = {{52, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_I2CC_DATAIN[] = {{52, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_I2CC_DATA_CLK_EXTERN[] = {{52, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_I2CC_FRAME_CTL[] = {{52, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_PLL_DIVIDER[] = {{54, 1, 0, 0, 0xFF}, {55, 1, 0, 8, 0xF}};
const RegisterFieldPart kVXP_PCB_PULSEW[] = {{55, 1, 4, 0, 0xF0}};
const RegisterFieldPart kVXP_INCFG_H_SYNC_POL[] = {{56, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_INCFG_V_SYNC_POL[] = {{56, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_INCFG_EARLY_SYNC[] = {{56, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_INCFG_VID_DECODER[] = {{56, 1, 3, 0, 0x8}};
const RegisterFieldPart kVXP_INCFG_PIPE_RESET[] = {{56, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_INCFG_H_SYNC_DLY[] = {{56, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_INCFG_TEST_MODE_LUMA[] = {{56, 1, 6, 0, 0xC0}};
const RegisterFieldPart kVXP_INCFG_DATA_FMT[] = {{57, 1, 0, 0, 0x3}};
const RegisterFieldPart kVXP_INCFG_Demux_Order[] = {{57, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_INCFG_VID_SCAN[] = {{57, 1, 3, 0, 0x8}};
const RegisterFieldPart kVXP_INCFG_TAG_POLARITY[] = {{57, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_INCFG_CONV_CHROMA_SIGN[] = {{57, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_INCFG_VIO_VIN_SEL[] = {{57, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_INCFG_VREF_POL[] = {{57, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_HCROP_LEFT[] = {{64, 1, 0, 0, 0xFF}, {65, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_HCROP_RIGHT[] = {{68, 1, 0, 0, 0xFF}, {69, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VCROP_TOP[] = {{72, 1, 0, 0, 0xFF}, {73, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_VCROP_BOTTOM[] = {{76, 1, 0, 0, 0xFF}, {77, 1, 0, 8, 0x3}};
const RegisterFieldPart kVXP_FC_HORIZ_LUMA_FILT[] = {{80, 1, 0, 0, 0x1}};
const RegisterFieldPart kVXP_FC_HORIZ_CHROMA_FILT[] = {{80, 1, 1, 0, 0x2}};
const RegisterFieldPart kVXP_FC_HORIZ_INTER_EN[] = {{80, 1, 2, 0, 0x4}};
const RegisterFieldPart kVXP_FC_VERT_L_INTERP[] = {{80, 1, 3, 0, 0x8}};
const RegisterFieldPart kVXP_FC_VERT_C_INTERP[] = {{80, 1, 4, 0, 0x10}};
const RegisterFieldPart kVXP_FC_HORZ_FLIP[] = {{80, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_HSCALE_CTL[] = {{84, 1, 1, 0, 0xFE}, {85, 1, 0, 7, 0x3F}};
const RegisterFieldPart kVXP_VSCALE_CTL[] = {{91, 1, 1, 0, 0xFE}, {92, 1, 0, 7, 0x3F}};
const RegisterFieldPart kVXP_PICT_CTL_ADDR[] = {{93, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_PICT_CTL_LUMA[] = {{94, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_PICT_CTL_CHROMA[] = {{95, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_TIMESCALE_CTL[] = {{109, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_OUT_CFG_OUT_DAT_FMT[] = {{110, 1, 0, 0, 0x7}};
const RegisterFieldPart kVXP_OUT_CFG_DISP_MODE[] = {{110, 1, 3, 0, 0x18}};
const RegisterFieldPart kVXP_OUT_CFG_MODE35[] = {{110, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_OUTCFG_DITHE_EN[] = {{110, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_PCI_VIDEO_OVERFLOW_POP[] = {{18, 4, 20, 0, 0xF00000}};
const RegisterFieldPart kVXP_PCI_VID_DROPPING[] = {{19, 4, 20, 0, 0x100000}};
const RegisterFieldPart kVXP_PCI_CODEC_FIFO_UFLOW[] = {{19, 4, 21, 0, 0x200000}};
const RegisterFieldPart kVXP_PCI_CODEC_FIFO_OFLOW[] = {{19, 4, 22, 0, 0x400000}};
const RegisterFieldPart kVXP_PCI_VID_DROPPING_MASK[] = {{20, 4, 20, 0, 0x100000}};
const RegisterFieldPart kVXP_PCI_CODEC_FIFO_UFLOW_MASK[] = {{20, 4, 21, 0, 0x200000}};
const RegisterFieldPart kVXP_PCI_CODEC_FIFO_OFLOW_MASK[] = {{20, 4, 22, 0, 0x400000}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_ADDR[] = {{21, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_PTO_ADDR[] = {{22, 4, 0, 0, 0xFFFFFFFF}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_DWORD_CNT[] = {{23, 4, 0, 0, 0x7FFFF}};
const RegisterFieldPart kVXP_PCI_CODEC_FIFO_LOW[] = {{24, 4, 0, 0, 0x3F}};
const RegisterFieldPart kVXP_PCI_CODEC_FIFO_HIGH[] = {{24, 4, 6, 0, 0xFC0}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_PTR_FIFO_FLUSH[] = {{24, 4, 12, 0, 0x1000}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_FIFO_FLUSH[] = {{24, 4, 13, 0, 0x2000}};
const RegisterFieldPart kVXP_PCI_DMA_CODEC_LOAD[] = {{24, 4, 14, 0, 0x4000}};
const RegisterFieldPart kVXP_PCI_CODEC_PTR_REQUEST[] = {{24, 4, 15, 0, 0x8000}};
const RegisterFieldPart kVXP_PCI_CODEC_REQUEST[] = {{24, 4, 16, 0, 0x10000}};
const RegisterFieldPart kVXP_AUD_CFG_SW_RESET[] = {{129, 1, 3, 0, 0x8}};
const RegisterFieldPart kVXP_MPG_CFG_DXP_800[] = {{144, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_MPG_CFG_WAIT_RDY_SYNC[] = {{145, 1, 6, 0, 0x40}};
const RegisterFieldPart kVXP_MPG_CFG_DMA_REQ_SYNC[] = {{145, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_MPG_CFG_UVI_DIRECTION[] = {{146, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_VBI_RESET[] = {{113, 1, 5, 0, 0x20}};
const RegisterFieldPart kVXP_VBI_DATA_SEL_LEFT[] = {{125, 1, 0, 0, 0xFF}, {127, 1, 0, 8, 0x7}};
const RegisterFieldPart kVXP_VBI_DATA_SEL_RIGHT[] = {{126, 1, 0, 0, 0xFF}, {127, 1, 3, 8, 0x38}};
const RegisterFieldPart kVXP_FC_INPUT_YUVFORMAT[] = {{80, 1, 6, 0, 0xC0}};
const RegisterFieldPart kVXP_OUT_CFG_TAG_E[] = {{110, 1, 7, 0, 0x80}};
const RegisterFieldPart kVXP_VPE_CFG_CTL[] = {{111, 1, 0, 0, 0xFF}};
const RegisterFieldPart kVXP_VPE_CFG_A_CTL[] = {{162, 1, 0, 0, 0xFF}};

}  // namespace

extern const RegisterFieldTable kRegisterFieldTable = {
    {
        {"VXP_PCI_DMA_VID_ADDR1", 0, 1, 2, kVXP_PCI_DMA_VID_ADDR1},
        {"VXP_PCI_DMA_VID_ADDR2", 1, 1, 2, kVXP_PCI_DMA_VID_ADDR2},
        {"VXP_PCI_DMA_VID_PTO_ADDR1", 2, 1, 2, kVXP_PCI_DMA_VID_PTO_ADDR1},
        {"VXP_PCI_DMA_VID_PTO_ADDR2", 3, 1, 2, kVXP_PCI_DMA_VID_PTO_ADDR2},
        {"VXP_PCI_DMA_AUD_ADDR", 4, 1, 2, kVXP_PCI_DMA_AUD_ADDR},
        {"VXP_PCI_DMA_AUD_PTO_ADDR", 5, 1, 2, kVXP_PCI_DMA_AUD_PTO_ADDR},
        {"VXP_PCI_DMA_BITMASK_ADDR1", 6, 1, 2, kVXP_PCI_DMA_BITMASK_ADDR1},
        {"VXP_PCI_DMA_BITMASK_ADDR2", 7, 1, 2, kVXP_PCI_DMA_BITMASK_ADDR2},
        {"VXP_PCI_DMA_BITMASK_PTO_ADDR1", 8, 1, 2, kVXP_PCI_DMA_BITMASK_PTO_ADDR1},
        {"VXP_PCI_DMA_BITMASK_PTO_ADDR2", 9, 1, 2, kVXP_PCI_DMA_BITMASK_PTO_ADDR2},
        {"VXP_PCI_DMA_MPGVBI_ADDR", 10, 1, 2, kVXP_PCI_DMA_MPGVBI_ADDR},
        {"VXP_PCI_DMA_MPGVBI_PTO_ADDR", 11, 1, 2, kVXP_PCI_DMA_MPGVBI_PTO_ADDR},
        {nullptr, 12, 0, 2, nullptr},
        {nullptr, 13, 0, 2, nullptr},
        {"VXP_PCI_DMA_VID_STRIDE_CNT", 14, 1, 2, kVXP_PCI_DMA_VID_STRIDE_CNT},
        {"VXP_PCI_DMA_AUD_COUNTER", 15, 1, 2, kVXP_PCI_DMA_AUD_COUNTER},
        {nullptr, 16, 0, 2, nullptr},
        {"VXP_PCI_DMA_BITMASK_DWORD_CNT", 17, 1, 2, kVXP_PCI_DMA_BITMASK_DWORD_CNT},
        {"VXP_PCI_DMA_BITMASK_STRIDE_CNT", 18, 1, 2, kVXP_PCI_DMA_BITMASK_STRIDE_CNT},
        {"VXP_PCI_DMA_MPG_VBI_DWORD_CNT", 19, 1, 2, kVXP_PCI_DMA_MPG_VBI_DWORD_CNT},
        {"VXP_PCI_DMA_BITMASK_FIFO_LOW", 20, 1, 2, kVXP_PCI_DMA_BITMASK_FIFO_LOW},
        {"VXP_PCI_DMA_BITMASK_FIFO_HIGH", 21, 1, 2, kVXP_PCI_DMA_BITMASK_FIFO_HIGH},
        {"VXP_PCI_DMA_AUD_FIFO_LOW", 22, 1, 2, kVXP_PCI_DMA_AUD_FIFO_LOW},
        {"VXP_PCI_DMA_AUD_FIFO_HIGH", 23, 1, 2, kVXP_PCI_DMA_AUD_FIFO_HIGH},
        {"VXP_PCI_DMA_MPG_VBI_FIFO_LOW", 24, 1, 2, kVXP_PCI_DMA_MPG_VBI_FIFO_LOW},
        {"VXP_PCI_DMA_MPG_VBI_FIFO_HIGH", 25, 1, 2, kVXP_PCI_DMA_MPG_VBI_FIFO_HIGH},
        {"VXP_PCI_DMA_VIDEO_FIFO_LOW", 26, 1, 2, kVXP_PCI_DMA_VIDEO_FIFO_LOW},
        {"VXP_PCI_DMA_VIDEO_FIFO_HIGH", 27, 1, 2, kVXP_PCI_DMA_VIDEO_FIFO_HIGH},
        {"VXP_PCI_DMA_VID_REQ", 28, 1, 2, kVXP_PCI_DMA_VID_REQ},
        {"VXP_PCI_DMA_VID_LOAD", 29, 1, 2, kVXP_PCI_DMA_VID_LOAD},
        {"VXP_PCI_DMA_VID_ENDIAN_TYPE", 30, 1, 2, kVXP_PCI_DMA_VID_ENDIAN_TYPE},
        {"VXP_PCI_DMA_VID_PROG", 31, 1, 2, kVXP_PCI_DMA_VID_PROG},
        {"VXP_PCI_DMA_VID_FIFO_FLUSH", 32, 1, 2, kVXP_PCI_DMA_VID_FIFO_FLUSH},
        {"VXP_PCI_DMA_VID_PTR_REQ", 33, 1, 2, kVXP_PCI_DMA_VID_PTR_REQ},
        {"VXP_PCI_DMA_VID_PTR_FIFO_FL", 34, 1, 2, kVXP_PCI_DMA_VID_PTR_FIFO_FL},
        {"VXP_PCI_DMA_AUD_REQ", 35, 1, 2, kVXP_PCI_DMA_AUD_REQ},
        {"VXP_PCI_DMA_AUD_LOAD", 36, 1, 2, kVXP_PCI_DMA_AUD_LOAD},
        {"VXP_PCI_DMA_AUD_ENDIAN_TYPE", 37, 1, 2, kVXP_PCI_DMA_AUD_ENDIAN_TYPE},
        {"VXP_PCI_DMA_AUD_FIFO_FLUSH", 38, 1, 2, kVXP_PCI_DMA_AUD_FIFO_FLUSH},
        {"VXP_PCI_DMA_AUD_PTR_REQ", 39, 1, 2, kVXP_PCI_DMA_AUD_PTR_REQ},
        {"VXP_PCI_DMA_AUD_PTR_FIFO_FL", 40, 1, 2, kVXP_PCI_DMA_AUD_PTR_FIFO_FL},
        {"VXP_PCI_DMA_BMASK_REQ", 41, 1, 2, kVXP_PCI_DMA_BMASK_REQ},
        {"VXP_PCI_DMA_BMASK_LOAD", 42, 1, 2, kVXP_PCI_DMA_BMASK_LOAD},
        {"VXP_PCI_DMA_BMASK_ENDIAN_TYPE", 43, 1, 2, kVXP_PCI_DMA_BMASK_ENDIAN_TYPE},
        {"VXP_PCI_DMA_BMASK_FIFO_FLUSH", 44, 1, 2, kVXP_PCI_DMA_BMASK_FIFO_FLUSH},
        {"VXP_PCI_DMA_BMASK_PTR_REQ", 45, 1, 2, kVXP_PCI_DMA_BMASK_PTR_REQ},
        {"VXP_PCI_DMA_BMASK_PTR_FIFO_FL", 46, 1, 2, kVXP_PCI_DMA_BMASK_PTR_FIFO_FL},
        {"VXP_PCI_DMA_CODEC_VBI_SEL", 47, 1, 2, kVXP_PCI_DMA_CODEC_VBI_SEL},
        {"VXP_PCI_DMA_CODEC_VBI_REQ", 48, 1, 2, kVXP_PCI_DMA_CODEC_VBI_REQ},
        {"VXP_PCI_DMA_MPG_LOAD", 49, 1, 2, kVXP_PCI_DMA_MPG_LOAD},
        {"VXP_PCI_DMA_MPG_ENDIAN_TYPE", 50, 1, 2, kVXP_PCI_DMA_MPG_ENDIAN_TYPE},
        {"VXP_PCI_DMA_MPG_FIFO_FLUSH", 51, 1, 2, kVXP_PCI_DMA_MPG_FIFO_FLUSH},
        {"VXP_PCI_DMA_MPG_PTR_REQ", 52, 1, 2, kVXP_PCI_DMA_MPG_PTR_REQ},
        {"VXP_PCI_DMA_MPG_PTR_FIFO_FL", 53, 1, 2, kVXP_PCI_DMA_MPG_PTR_FIFO_FL},
        {"VXP_PCI_SYS_MEM_PAGE", 54, 1, 2, kVXP_PCI_SYS_MEM_PAGE},
        {"VXP_PCI_SLAVE_DIS_EN", 55, 1, 2, kVXP_PCI_SLAVE_DIS_EN},
        {"VXP_PCI_RETRY_RESET", 56, 1, 2, kVXP_PCI_RETRY_RESET},
        {"VXP_PCI_GLOBAL_FAST_REGWRITE", 57, 1, 2, kVXP_PCI_GLOBAL_FAST_REGWRITE},
        {"VXP_PCI_GLOBAL_RESET", 58, 1, 2, kVXP_PCI_GLOBAL_RESET},
        {"VXP_PCI_SOFTWARE_RESET", 59, 1, 2, kVXP_PCI_SOFTWARE_RESET},
        {"VXP_PCI_VIDSTRM_UNPACK", 60, 1, 2, kVXP_PCI_VIDSTRM_UNPACK},
        {"VXP_PCI_VID_FIFO_OFLOW", 61, 1, 2, kVXP_PCI_VID_FIFO_OFLOW},
        {"VXP_PCI_VID_FIFO_UFLOW", 62, 1, 2, kVXP_PCI_VID_FIFO_UFLOW},
        {"VXP_PCI_AUD_FIFO_OFLOW", 63, 1, 2, kVXP_PCI_AUD_FIFO_OFLOW},
        {"VXP_PCI_AUD_FIFO_UFLOW", 64, 1, 2, kVXP_PCI_AUD_FIFO_UFLOW},
        {"VXP_PCI_BMASK_FIFO_OFLOW", 65, 1, 2, kVXP_PCI_BMASK_FIFO_OFLOW},
        {"VXP_PCI_BMASK_FIFO_UFLOW", 66, 1, 2, kVXP_PCI_BMASK_FIFO_UFLOW},
        {"VXP_PCI_MPG_FIFO_OFLOW", 67, 1, 2, kVXP_PCI_MPG_FIFO_OFLOW},
        {"VXP_PCI_MPG_FIFO_UFLOW", 68, 1, 2, kVXP_PCI_MPG_FIFO_UFLOW},
        {"VXP_VID_DCD_INT", 69, 1, 2, kVXP_VID_DCD_INT},
        {"VXP_VID_EFIELD_INT", 70, 1, 2, kVXP_VID_EFIELD_INT},
        {"VXP_VID_OFIELD_INT", 71, 1, 2, kVXP_VID_OFIELD_INT},
        {"VXP_VID_FRAME_ACTIVE_INT", 72, 1, 2, kVXP_VID_FRAME_ACTIVE_INT},
        {"VXP_VID_PIPELINE_EN_INT", 73, 1, 2, kVXP_VID_PIPELINE_EN_INT},
        {"VXP_VID_PIPELINE_DIS_INT", 74, 1, 2, kVXP_VID_PIPELINE_DIS_INT},
        {"VXP_VID_PCI_DMA_2_INT", 75, 1, 2, kVXP_VID_PCI_DMA_2_INT},
        {"VXP_VID_PCI_DMA_1_INT", 76, 1, 2, kVXP_VID_PCI_DMA_1_INT},
        {"VXP_AUD_PCI_DMA_INT", 77, 1, 2, kVXP_AUD_PCI_DMA_INT},
        {nullptr, 78, 0, 2, nullptr},
        {"VXP_CODEC_PCI_DMA_INT", 79, 1, 2, kVXP_CODEC_PCI_DMA_INT},
        {"VXP_MPG_PCI_DMA_INT", 80, 1, 2, kVXP_MPG_PCI_DMA_INT},
        {"VXP_PCI_VID_FIFO_OFLOW_MASK", 81, 1, 2, kVXP_PCI_VID_FIFO_OFLOW_MASK},
        {"VXP_PCI_VID_FIFO_UFLOW_MASK", 82, 1, 2, kVXP_PCI_VID_FIFO_UFLOW_MASK},
        {"VXP_PCI_AUD_FIFO_OFLOW_MASK", 83, 1, 2, kVXP_PCI_AUD_FIFO_OFLOW_MASK},
        {"VXP_PCI_AUD_FIFO_UFLOW_MASK", 84, 1, 2, kVXP_PCI_AUD_FIFO_UFLOW_MASK},
        {"VXP_PCI_BMASK_FIFO_OFLOW_MASK", 85, 1, 2, kVXP_PCI_BMASK_FIFO_OFLOW_MASK},
        {"VXP_PCI_BMASK_FIFO_UFLOW_MASK", 86, 1, 2, kVXP_PCI_BMASK_FIFO_UFLOW_MASK},
        {"VXP_PCI_MPG_FIFO_OFLOW_MASK", 87, 1, 2, kVXP_PCI_MPG_FIFO_OFLOW_MASK},
        {"VXP_PCI_MPG_FIFO_UFLOW_MASK", 88, 1, 2, kVXP_PCI_MPG_FIFO_UFLOW_MASK},
        {"VXP_VID_DCD_INT_MASK", 89, 1, 2, kVXP_VID_DCD_INT_MASK},
        {"VXP_VID_EFIELD_INT_MASK", 90, 1, 2, kVXP_VID_EFIELD_INT_MASK},
        {"VXP_VID_OFIELD_INT_MASK", 91, 1, 2, kVXP_VID_OFIELD_INT_MASK},
        {"VXP_VID_FRAME_ACTIVE_INT_MASK", 92, 1, 2, kVXP_VID_FRAME_ACTIVE_INT_MASK},
        {"VXP_VID_PIPELINE_EN_INT_MASK", 93, 1, 2, kVXP_VID_PIPELINE_EN_INT_MASK},
        {"VXP_VID_PIPELINE_DIS_INT_MASK", 94, 1, 2, kVXP_VID_PIPELINE_DIS_INT_MASK},
        {"VXP_VID_PCI_DMA_2_INT_MASK", 95, 1, 2, kVXP_VID_PCI_DMA_2_INT_MASK},
        {"VXP_VID_PCI_DMA_1_INT_MASK", 96, 1, 2, kVXP_VID_PCI_DMA_1_INT_MASK},
        {"VXP_AUD_PCI_DMA_INT_MASK", 97, 1, 2, kVXP_AUD_PCI_DMA_INT_MASK},
        {nullptr, 98, 0, 2, nullptr},
        {"VXP_CODEC_PCI_DMA_INT_MASK", 99, 1, 2, kVXP_CODEC_PCI_DMA_INT_MASK},
        {"VXP_MPG_PCI_DMA_INT_MASK", 100, 1, 2, kVXP_MPG_PCI_DMA_INT_MASK},
        {"VXP_AUD_CFG_DMA_EN", 101, 1, 2, kVXP_AUD_CFG_DMA_EN},
        {"VXP_AUD_CFG_DATA_ORDER", 102, 1, 2, kVXP_AUD_CFG_DATA_ORDER},
        {"VXP_AUD_CFG_PCM_INPUTS", 103, 1, 2, kVXP_AUD_CFG_PCM_INPUTS},
        {"VXP_AUD_CFG_BYTE_ORDER", 104, 1, 2, kVXP_AUD_CFG_BYTE_ORDER},
        {"VXP_AUD_CFG_ACLK_RISE_FALL", 105, 1, 2, kVXP_AUD_CFG_ACLK_RISE_FALL},
        {"VXP_AUD_CFG_LEFT_RIGHT_CH", 106, 1, 2, kVXP_AUD_CFG_LEFT_RIGHT_CH},
        {"VXP_AUD_CFG_DELAY_ADAT", 107, 1, 2, kVXP_AUD_CFG_DELAY_ADAT},
        {"VXP_AUD_CFG_EXT_CLK", 108, 1, 2, kVXP_AUD_CFG_EXT_CLK},
        {"VXP_AUD_CFG_I2S_INOUT", 109, 1, 2, kVXP_AUD_CFG_I2S_INOUT},
        {"VXP_AUD_CFG_INBUF_FULL", 110, 1, 2, kVXP_AUD_CFG_INBUF_FULL},
        {"VXP_AUD_OUT_CLK_SCALER", 111, 1, 2, kVXP_AUD_OUT_CLK_SCALER},
        {"VXP_MPG_CFG_UVI", 112, 1, 2, kVXP_MPG_CFG_UVI},
        {"VXP_MPG_CFG_MO_IN", 113, 1, 2, kVXP_MPG_CFG_MO_IN},
        {"VXP_MPG_CFG_ADD_DATA_MUX", 114, 1, 2, kVXP_MPG_CFG_ADD_DATA_MUX},
        {"VXP_MPG_CFG_EXT_CLK", 115, 1, 2, kVXP_MPG_CFG_EXT_CLK},
        {"VXP_MPG_CFG_FAST_DMA", 116, 1, 2, kVXP_MPG_CFG_FAST_DMA},
        {"VXP_MPG_CFG_SL_ADD_INC", 117, 1, 2, kVXP_MPG_CFG_SL_ADD_INC},
        {"VXP_MPG_CFG_GEN_DMA", 118, 1, 2, kVXP_MPG_CFG_GEN_DMA},
        {"VXP_MPG_CFG_POL_ALE", 119, 1, 2, kVXP_MPG_CFG_POL_ALE},
        {"VXP_MPG_CFG_DMA_ACK", 120, 1, 2, kVXP_MPG_CFG_DMA_ACK},
        {"VXP_MPG_CFG_IRQ_POL", 121, 1, 2, kVXP_MPG_CFG_IRQ_POL},
        {"VXP_MPG_CFG_IRQ_WAIT", 122, 1, 2, kVXP_MPG_CFG_IRQ_WAIT},
        {"VXP_MPG_CFG_TIMER_EN", 123, 1, 2, kVXP_MPG_CFG_TIMER_EN},
        {"VXP_MPG_CFG_TIMEOUT", 124, 1, 2, kVXP_MPG_CFG_TIMEOUT},
        {"VXP_MPG_CFG_SLV_SMARTDUMB", 125, 1, 2, kVXP_MPG_CFG_SLV_SMARTDUMB},
        {"VXP_MPG_CFG_SW_RESET", 126, 1, 2, kVXP_MPG_CFG_SW_RESET},
        {"VXP_MPG_SLV_ADD_BYTE", 127, 2, 2, kVXP_MPG_SLV_ADD_BYTE},
        {"VXP_GIO_CTL_A", 128, 1, 2, kVXP_GIO_CTL_A},
        {"VXP_GIO_CTL_B", 129, 1, 2, kVXP_GIO_CTL_B},
        {"VXP_VBI_ODD_FIELD_START", 130, 1, 2, kVXP_VBI_ODD_FIELD_START},
        {"VXP_VBI_SGL_FIELD_START", 131, 1, 2, kVXP_VBI_SGL_FIELD_START},
        {"VXP_VBI_XFER_NEW_FRM", 132, 1, 2, kVXP_VBI_XFER_NEW_FRM},
        {"VXP_VBI_XFER_START_PT", 133, 1, 2, kVXP_VBI_XFER_START_PT},
        {"VXP_VBI_16BIT_XFER", 134, 1, 2, kVXP_VBI_16BIT_XFER},
        {"VXP_VBI_BYTE_ORDER_SWAP", 135, 1, 2, kVXP_VBI_BYTE_ORDER_SWAP},
        {"VXP_VBI_FIFO_CLK", 136, 1, 2, kVXP_VBI_FIFO_CLK},
        {"VXP_VBI_XFER_ENA", 137, 1, 2, kVXP_VBI_XFER_ENA},
        {"VXP_VBI_FULL_FRME_XFR", 138, 1, 2, kVXP_VBI_FULL_FRME_XFR},
        {"VXP_VBI_HDAT_SEL", 139, 1, 2, kVXP_VBI_HDAT_SEL},
        {"VXP_VBI_HS_POL", 140, 1, 2, kVXP_VBI_HS_POL},
        {"VXP_VBI_TEST_MODE", 141, 1, 2, kVXP_VBI_TEST_MODE},
        {"VXP_VBI_LINE_SEL", 142, 3, 2, kVXP_VBI_LINE_SEL},
        {"VXP_VBI_LINE_SEL_BASE1", 143, 2, 2, kVXP_VBI_LINE_SEL_BASE1},
        {"VXP_VBI_LINE_SEL_BASE2", 144, 2, 2, kVXP_VBI_LINE_SEL_BASE2},
        {"VXP_VBI_BLK_XFER_TOP", 145, 2, 2, kVXP_VBI_BLK_XFER_TOP},
        {"VXP_VBI_BLK_XFER_BOTTOM", 146, 2, 2, kVXP_VBI_BLK_XFER_BOTTOM},
        {"VXP_VIO_HS_WIDTH", 147, 1, 2, kVXP_VIO_HS_WIDTH},
        {"VXP_VIO_VS_WIDTH", 148, 1, 2, kVXP_VIO_VS_WIDTH},
        {"VXP_VIO_WIDTH", 149, 2, 2, kVXP_VIO_WIDTH},
        {"VXP_VIO_HEIGHT", 150, 2, 2, kVXP_VIO_HEIGHT},
        {"VXP_VSB_HORIZ_SYNC_POL", 151, 1, 2, kVXP_VSB_HORIZ_SYNC_POL},
        {"VXP_VSB_VERT_SYNC_POL", 152, 1, 2, kVXP_VSB_VERT_SYNC_POL},
        {"VXP_VSB_EXTERNAL_SYNC", 153, 1, 2, kVXP_VSB_EXTERNAL_SYNC},
        {"VXP_VSB_PX", 154, 1, 2, kVXP_VSB_PX},
        {"VXP_I2CC_CLKOUT", 155, 1, 2, kVXP_I2CC_CLKOUT},
        {"VXP_I2CC_CLKEN", 156, 1, 2, kVXP_I2CC_CLKEN},
        {"VXP_I2CC_DATA_VAL", 157, 1, 2, kVXP_I2CC_DATA_VAL},
        {"VXP_I2CC_DATA_OUT", 158, 1, 2, kVXP_I2CC_DATA_OUT},
        {"VXP_I2CC_CLKIN", 159, 1, 2, kVXP_I2CC_CLKIN},
        {"VXP_I2CC_DATAIN", 160, 1, 2, kVXP_I2CC_DATAIN},
        {"VXP_I2CC_DATA_CLK_EXTERN", 161, 1, 2, kVXP_I2CC_DATA_CLK_EXTERN},
        {"VXP_I2CC_FRAME_CTL", 162, 1, 2, kVXP_I2CC_FRAME_CTL},
        {"VXP_PLL_DIVIDER", 163, 2, 2, kVXP_PLL_DIVIDER},
        {"VXP_PCB_PULSEW", 164, 1, 2, kVXP_PCB_PULSEW},
        {"VXP_INCFG_H_SYNC_POL", 165, 1, 2, kVXP_INCFG_H_SYNC_POL},
        {"VXP_INCFG_V_SYNC_POL", 166, 1, 2, kVXP_INCFG_V_SYNC_POL},
        {"VXP_INCFG_EARLY_SYNC", 167, 1, 2, kVXP_INCFG_EARLY_SYNC},
        {"VXP_INCFG_VID_DECODER", 168, 1, 2, kVXP_INCFG_VID_DECODER},
        {"VXP_INCFG_PIPE_RESET", 169, 1, 2, kVXP_INCFG_PIPE_RESET},
        {"VXP_INCFG_H_SYNC_DLY", 170, 1, 2, kVXP_INCFG_H_SYNC_DLY},
        {"VXP_INCFG_TEST_MODE_LUMA", 171, 1, 2, kVXP_INCFG_TEST_MODE_LUMA},
        {"VXP_INCFG_DATA_FMT", 172, 1, 2, kVXP_INCFG_DATA_FMT},
        {"VXP_INCFG_Demux_Order", 173, 1, 2, kVXP_INCFG_Demux_Order},
        {"VXP_INCFG_VID_SCAN", 174, 1, 2, kVXP_INCFG_VID_SCAN},
        {"VXP_INCFG_TAG_POLARITY", 175, 1, 2, kVXP_INCFG_TAG_POLARITY},
        {"VXP_INCFG_CONV_CHROMA_SIGN", 176, 1, 2, kVXP_INCFG_CONV_CHROMA_SIGN},
        {"VXP_INCFG_VIO_VIN_SEL", 177, 1, 2, kVXP_INCFG_VIO_VIN_SEL},
        {"VXP_INCFG_VREF_POL", 178, 1, 2, kVXP_INCFG_VREF_POL},
        {"VXP_HCROP_LEFT", 179, 2, 2, kVXP_HCROP_LEFT},
        {"VXP_HCROP_RIGHT", 180, 2, 2, kVXP_HCROP_RIGHT},
        {"VXP_VCROP_TOP", 181, 2, 2, kVXP_VCROP_TOP},
        {"VXP_VCROP_BOTTOM", 182, 2, 2, kVXP_VCROP_BOTTOM},
        {"VXP_FC_HORIZ_LUMA_FILT", 183, 1, 2, kVXP_FC_HORIZ_LUMA_FILT},
        {"VXP_FC_HORIZ_CHROMA_FILT", 184, 1, 2, kVXP_FC_HORIZ_CHROMA_FILT},
        {"VXP_FC_HORIZ_INTER_EN", 185, 1, 2, kVXP_FC_HORIZ_INTER_EN},
        {"VXP_FC_VERT_L_INTERP", 186, 1, 2, kVXP_FC_VERT_L_INTERP},
        {"VXP_FC_VERT_C_INTERP", 187, 1, 2, kVXP_FC_VERT_C_INTERP},
        {"VXP_FC_HORZ_FLIP", 188, 1, 2, kVXP_FC_HORZ_FLIP},
        {"VXP_HSCALE_CTL", 189, 2, 2, kVXP_HSCALE_CTL},
        {"VXP_VSCALE_CTL", 190, 2, 2, kVXP_VSCALE_CTL},
        {"VXP_PICT_CTL_ADDR", 191, 1, 2, kVXP_PICT_CTL_ADDR},
        {"VXP_PICT_CTL_LUMA", 192, 1, 2, kVXP_PICT_CTL_LUMA},
        {"VXP_PICT_CTL_CHROMA", 193, 1, 2, kVXP_PICT_CTL_CHROMA},
        {"VXP_TIMESCALE_CTL", 194, 1, 2, kVXP_TIMESCALE_CTL},
        {"VXP_OUT_CFG_OUT_DAT_FMT", 195, 1, 2, kVXP_OUT_CFG_OUT_DAT_FMT},
        {"VXP_OUT_CFG_DISP_MODE", 196, 1, 2, kVXP_OUT_CFG_DISP_MODE},
        {"VXP_OUT_CFG_MODE35", 197, 1, 2, kVXP_OUT_CFG_MODE35},
        {"VXP_OUTCFG_DITHE_EN", 198, 1, 2, kVXP_OUTCFG_DITHE_EN},
        {"VXP_PCI_VIDEO_OVERFLOW_POP", 199, 1, 2, kVXP_PCI_VIDEO_OVERFLOW_POP},
        {"VXP_PCI_VID_DROPPING", 200, 1, 2, kVXP_PCI_VID_DROPPING},
        {"VXP_PCI_CODEC_FIFO_UFLOW", 201, 1, 2, kVXP_PCI_CODEC_FIFO_UFLOW},
        {"VXP_PCI_CODEC_FIFO_OFLOW", 202, 1, 2, kVXP_PCI_CODEC_FIFO_OFLOW},
        {"VXP_PCI_VID_DROPPING_MASK", 203, 1, 2, kVXP_PCI_VID_DROPPING_MASK},
        {"VXP_PCI_CODEC_FIFO_UFLOW_MASK", 204, 1, 2, kVXP_PCI_CODEC_FIFO_UFLOW_MASK},
        {"VXP_PCI_CODEC_FIFO_OFLOW_MASK", 205, 1, 2, kVXP_PCI_CODEC_FIFO_OFLOW_MASK},
        {"VXP_PCI_DMA_CODEC_ADDR", 206, 1, 2, kVXP_PCI_DMA_CODEC_ADDR},
        {"VXP_PCI_DMA_CODEC_PTO_ADDR", 207, 1, 2, kVXP_PCI_DMA_CODEC_PTO_ADDR},
        {"VXP_PCI_DMA_CODEC_DWORD_CNT", 208, 1, 2, kVXP_PCI_DMA_CODEC_DWORD_CNT},
        {"VXP_PCI_CODEC_FIFO_LOW", 209, 1, 2, kVXP_PCI_CODEC_FIFO_LOW},
        {"VXP_PCI_CODEC_FIFO_HIGH", 210, 1, 2, kVXP_PCI_CODEC_FIFO_HIGH},
        {"VXP_PCI_DMA_CODEC_PTR_FIFO_FLUSH", 211, 1, 2, kVXP_PCI_DMA_CODEC_PTR_FIFO_FLUSH},
        {"VXP_PCI_DMA_CODEC_FIFO_FLUSH", 212, 1, 2, kVXP_PCI_DMA_CODEC_FIFO_FLUSH},
        {"VXP_PCI_DMA_CODEC_LOAD", 213, 1, 2, kVXP_PCI_DMA_CODEC_LOAD},
        {"VXP_PCI_CODEC_PTR_REQUEST", 214, 1, 2, kVXP_PCI_CODEC_PTR_REQUEST},
        {"VXP_PCI_CODEC_REQUEST", 215, 1, 2, kVXP_PCI_CODEC_REQUEST},
        {"VXP_AUD_CFG_SW_RESET", 216, 1, 2, kVXP_AUD_CFG_SW_RESET},
        {"VXP_MPG_CFG_DXP_800", 217, 1, 2, kVXP_MPG_CFG_DXP_800},
        {"VXP_MPG_CFG_WAIT_RDY_SYNC", 218, 1, 2, kVXP_MPG_CFG_WAIT_RDY_SYNC},
        {"VXP_MPG_CFG_DMA_REQ_SYNC", 219, 1, 2, kVXP_MPG_CFG_DMA_REQ_SYNC},
        {"VXP_MPG_CFG_UVI_DIRECTION", 220, 1, 2, kVXP_MPG_CFG_UVI_DIRECTION},
        {"VXP_VBI_RESET", 221, 1, 2, kVXP_VBI_RESET},
        {"VXP_VBI_DATA_SEL_LEFT", 222, 2, 2, kVXP_VBI_DATA_SEL_LEFT},
        {"VXP_VBI_DATA_SEL_RIGHT", 223, 2, 2, kVXP_VBI_DATA_SEL_RIGHT},
        {"VXP_FC_INPUT_YUVFORMAT", 224, 1, 2, kVXP_FC_INPUT_YUVFORMAT},
        {"VXP_OUT_CFG_TAG_E", 225, 1, 2, kVXP_OUT_CFG_TAG_E},
        {"VXP_VPE_CFG_CTL", 226, 1, 2, kVXP_VPE_CFG_CTL},
        {"VXP_VPE_CFG_A_CTL", 227, 1, 2, kVXP_VPE_CFG_A_CTL},
    },
    kRegisterFieldCount,
};

}  // namespace rg7
