/* 成绩统计：读入一个班的成绩，求平均分、最高分、最低分并排序 */
#include <stdio.h>

#define MAX_STUDENTS 100

/* 读入成绩，返回人数 */
int read_scores(double scores[], int limit)
{
    int count = 0;
    double value;
    while (count < limit && scanf("%lf", &value) == 1) {
        if (value < 0 || value > 100) {
            printf("无效成绩 %.1f，已跳过\n", value);
            continue;
        }
        scores[count] = value;
        count++;
    }
    return count;
}

double average(double scores[], int n)
{
    double sum = 0;
    int i;
    for (i = 0; i < n; i++) {
        sum = sum + scores[i];
    }
    if (n == 0) {
        return 0;
    }
    return sum / n;
}

void find_range(double scores[], int n, double *low, double *high)
{
    int i;
    *low = scores[0];
    *high = scores[0];
    for (i = 1; i < n; i++) {
        if (scores[i] < *low) {
            *low = scores[i];
        }
        if (scores[i] > *high) {
            *high = scores[i];
        }
    }
}

/* 冒泡排序，从高到低 */
void sort_scores(double scores[], int n)
{
    int i, j;
    double temp;
    for (i = 0; i < n - 1; i++) {
        for (j = 0; j < n - 1 - i; j++) {
            if (scores[j] < scores[j + 1]) {
                temp = scores[j];
                scores[j] = scores[j + 1];
                scores[j + 1] = temp;
            }
        }
    }
}

int count_passed(double scores[], int n)
{
    int i, passed = 0;
    for (i = 0; i < n; i++) {
        if (scores[i] >= 60) {
            passed++;
        }
    }
    return passed;
}

int main()
{
    double scores[MAX_STUDENTS];
    double low, high;
    int n, i;

    printf("请输入成绩（以非数字结束）：\n");
    n = read_scores(scores, MAX_STUDENTS);
    if (n == 0) {
        printf("没有成绩\n");
        return 0;
    }
    find_range(scores, n, &low, &high);
    sort_scores(scores, n);
    printf("人数：%d\n", n);
    printf("平均分：%.2f\n", average(scores, n));
    printf("最高分：%.1f 最低分：%.1f\n", high, low);
    printf("及格人数：%d\n", count_passed(scores, n));
    for (i = 0; i < n; i++) {
        printf("%d: %.1f\n", i + 1, scores[i]);
    }
    return 0;
}
